// Tests of the pattern checker.
