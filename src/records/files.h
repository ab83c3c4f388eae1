// File numbers: files are attached to small file numbers (0 to 99); number 5
// is standard input and number 6 standard output (see console.h).
#pragma once

#include <string>
#include <string_view>

namespace records {

enum class Presence { MayBeMissing, MustExist };

// Attaches the named file to the file number. A file already attached to the
// number is completed and closed first. A missing file that must exist is
// fatal; a missing file that may be missing reads as empty, and nothing is
// created unless a record is written to it. The file is positioned at its
// first record. An existing file loses its old records only when the first
// record is written to it.
void open(int unit, std::string_view name, Presence presence = Presence::MayBeMissing);

// Completes and detaches the file attached to the number (nothing if none).
// The next write through the number attaches "fort.<n>" afresh.
void close(int unit);

// Makes the file attached to the number an output file exactly as a first
// record written through it would, without writing a record: when no file is
// attached, "fort.<n>" is attached; a file to which no record has been written
// since it was attached is created or emptied. A file that already holds
// records written through the number is left as it is.
void start_output(int unit);

// Completes and closes every attached file (program end, fatal end, tests).
void close_all();

// The name of the file attached to the number (empty when none).
std::string attached_name(int unit);

// Hands the records written so far to the system for every file being
// written, and the console output, keeping the files attached (complete on
// disk at the end of a station run). A failure is fatal.
void flush_all();

// Whether the file attached to the number was missing when it was read (it
// read as empty).
bool was_missing(int unit);

// The number of the record (the line) of the attached file in which the last
// read through the number ended; 0 before the first read or when nothing is
// attached.
long record_number(int unit);

}  // namespace records
