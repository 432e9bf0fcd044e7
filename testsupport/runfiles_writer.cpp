// Writes run files for tests. (Being written.)
