// Keeps a subsystem library non-empty while it has no source file of its own.
