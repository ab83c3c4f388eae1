// The complete Palmer indices from the moisture anomaly Z of every month.
//
// Palmer (1965): X1 follows a wet spell that may be starting, X2 a drought
// that may be starting, X3 the spell that is established. A spell begins when
// X1 reaches 1 or X2 reaches -1; the months before it that were still
// undecided then take the index that led to it (backtracking). An established
// spell ends when the effective wetness (drought) or dryness (wet spell)
// gathered since an ending attempt began, measured against what it takes to
// bring X3 back to -0.5 or 0.5 (Ze), reaches 100 percent. PHDI is the X3
// series of the established spells (Karl 1986), PMDI the mix of X3 and the
// opposite index weighted by the probability that the spell has ended
// (Heddinghaus and Sabol 1991). All arithmetic in 8-byte reals; values are
// rounded only when written.
#include "palmer/palmer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "catalogue/catalogue.h"
#include "records/files.h"
#include "records/input.h"
#include "records/output.h"

namespace palmer {
namespace {

constexpr int kIndexUnit = 92, kPalmerUnit = 93;

// Months read from <id>-pdsi.csv; the rest is ignored (the Palmer stage's
// own capacity).
constexpr std::size_t kMaxMonths = 50000;

// Palmer's duration factor of X = 0.897 X(before) + Z / 3.
constexpr double kPersistence = 0.897;
constexpr double kZShare = 3.0;
// An index of 1 (wet) or -1 (dry) establishes a spell.
constexpr double kEstablish = 1.0;
// Effective wetness of a month in a drought is Z + 0.15 (dryness in a wet
// spell Z - 0.15): the Z that keeps X3 where it stands near -0.5 (0.5).
constexpr double kEffective = 0.15;
// Ze = -2.691 X3 -/+ 1.5: the Z that would bring X3 to -0.5 (0.5) in one
// month (2.691 = 3 x 0.897).
constexpr double kZeSlope = 2.691;
constexpr double kZeOffset = 1.5;
constexpr double kPercent = 100.0;

const double kMissing = catalogue::kMissingPalmer;

static const records::Layout kHeaderIn{"A1"};
static const records::Layout kHeader{"A"};
static const records::Layout kRecord{"I4,',',I2,8(',',F8.2)"};
constexpr std::string_view kColumns{"YEAR,MONTH,Z,PDSI,PHDI,PMDI,X1,X2,X3,PE"};

// What is carried from month to month.
struct Spell {
  double x1 = 0, x2 = 0, x3 = 0;
  double v = 0;                        // effective wetness or dryness of the ending attempt
  std::vector<std::size_t> undecided;  // months whose PDSI is not yet decided
};

struct Run {
  std::vector<Month> months;
  std::vector<char> phdi_waits;  // months ending without a spell: PHDI is their final PDSI
  Spell spell;
};

// Gives the undecided months their PDSI, latest first, from X1 (wet) or X2
// (dry); a month whose current index is exactly 0 switches to the other one
// for itself and the months before it.
void backtrack(Run& run, bool wet) {
  Spell& s = run.spell;
  for (auto j = s.undecided.rbegin(); j != s.undecided.rend(); ++j) {
    Month& m = run.months[*j];
    if ((wet ? m.x1 : m.x2) == 0.0) wet = !wet;
    m.pdsi = wet ? m.x1 : m.x2;
    if (run.phdi_waits[*j]) m.phdi = m.pdsi;
    run.phdi_waits[*j] = 0;
  }
  s.undecided.clear();
}

// The probability in percent that the spell has ended, from the effective
// wetness or dryness vn gathered with this month and q, what it takes.
double ending_probability(bool drought, double vn, double q) {
  const bool favourable = drought ? vn > 0.0 : vn < 0.0;
  if (!favourable) return 0.0;
  const bool out_of_reach = drought ? q <= 0.0 : q >= 0.0;
  if (out_of_reach) return kPercent;
  return std::min(kPercent, kPercent * vn / q);
}

// A month that begins in an established spell. True when the spell ends in
// it: the month then goes on as a month without a spell.
bool in_spell(Run& run, std::size_t i) {
  Month& m = run.months[i];
  Spell& s = run.spell;
  const bool drought = s.x3 < 0.0;
  const double x3 = kPersistence * s.x3 + m.z / kZShare;
  const double u = drought ? m.z + kEffective : m.z - kEffective;
  const double ze = -kZeSlope * s.x3 + (drought ? -kZeOffset : kZeOffset);
  const double vn = s.v + u;
  m.pe = ending_probability(drought, vn, s.v + ze);
  if (m.pe >= kPercent) {
    s.v = 0.0;
    s.x3 = 0.0;
    return true;
  }
  m.x3 = m.pdsi = m.phdi = x3;
  s.x3 = x3;
  if (m.pe > 0.0) {
    // An ending attempt starts or goes on; its months wait for its outcome.
    s.v = vn;
    s.undecided.push_back(i);
    const double share = m.pe / kPercent;
    m.pmdi = share * (drought ? m.x1 : m.x2) + (1.0 - share) * x3;
    s.x1 = m.x1;
    s.x2 = m.x2;
  } else {
    // No attempt, or it failed: its months keep X3 as their PDSI.
    s.v = 0.0;
    s.undecided.clear();
    m.pmdi = x3;
    s.x1 = s.x2 = 0.0;
  }
  return false;
}

// A month without an established spell: X1 reaching 1 establishes a wet
// spell, else X2 reaching -1 a drought; otherwise the month waits.
void without_spell(Run& run, std::size_t i) {
  Month& m = run.months[i];
  Spell& s = run.spell;
  s.undecided.push_back(i);
  m.pmdi = std::fabs(m.x1) > std::fabs(m.x2) ? m.x1 : m.x2;
  s.x1 = m.x1;
  s.x2 = m.x2;
  if (m.x1 >= kEstablish) {
    backtrack(run, true);
    m.x3 = m.phdi = s.x3 = m.x1;
    s.x1 = s.x2 = 0.0;
  } else if (m.x2 <= -kEstablish) {
    // X1 goes on into the drought, X2 starts afresh.
    backtrack(run, false);
    m.x3 = m.phdi = s.x3 = m.x2;
    s.x2 = 0.0;
  } else {
    run.phdi_waits[i] = 1;
  }
}

bool is_missing(double z) { return !std::isfinite(z) || z == kMissing; }

// Reads year, month and Z of each month of <id>-pdsi.csv after its header. A
// record that cannot be read gives a month with a missing Z.
void read_index(const std::string& name, std::vector<int>& year, std::vector<int>& month,
                std::vector<double>& z) {
  records::open(kIndexUnit, name, records::Presence::MustExist);
  std::string header;
  if (records::read_columns(kIndexUnit, kHeaderIn, {records::Target::text(header, 1)}) ==
      records::ReadStatus::Ok) {
    while (z.size() < kMaxMonths) {
      int y = 0, m = 0;
      double value = kMissing, x = 0;
      const records::ReadStatus status = records::read_list(kIndexUnit, {y, m, value, x});
      if (status == records::ReadStatus::End) break;
      year.push_back(y);
      month.push_back(m);
      z.push_back(status == records::ReadStatus::Ok ? value : kMissing);
    }
  }
  records::close(kIndexUnit);
}

}  // namespace

std::vector<Month> palmer_indices(std::span<const double> z) {
  Run run;
  run.months.resize(z.size());
  run.phdi_waits.assign(z.size(), 0);
  Spell& s = run.spell;
  for (std::size_t i = 0; i < z.size(); ++i) {
    Month& m = run.months[i];
    if (is_missing(z[i])) {
      m = Month{true,     kMissing, kMissing, kMissing, kMissing,
                kMissing, kMissing, kMissing, kMissing};
      continue;
    }
    m.z = z[i];
    m.x1 = std::max(0.0, kPersistence * s.x1 + m.z / kZShare);
    m.x2 = std::min(0.0, kPersistence * s.x2 + m.z / kZShare);
    if (s.x3 != 0.0 && !in_spell(run, i)) continue;
    without_spell(run, i);
  }
  // The months still undecided at the end of the record.
  backtrack(run, true);
  return run.months;
}

void palmer(std::string_view station_id) {
  std::vector<int> year, month;
  std::vector<double> z;
  read_index(catalogue::file_name(station_id, catalogue::kPdsi.suffix), year, month, z);
  const std::vector<Month> months = palmer_indices(z);

  records::open(kPalmerUnit, catalogue::file_name(station_id, catalogue::kPalmer.suffix));
  records::write(kPalmerUnit, kHeader, {kColumns});
  for (std::size_t i = 0; i < months.size(); ++i) {
    const Month& m = months[i];
    records::write(kPalmerUnit, kRecord,
                   {year[i], month[i], m.z, m.pdsi, m.phdi, m.pmdi, m.x1, m.x2, m.x3, m.pe});
  }
  records::close(kPalmerUnit);
}

}  // namespace palmer
