// Statra command file.
#pragma once

void write_statra_commands(const char *description_file, const char *data_file);
