// Tests of the INI reader.
