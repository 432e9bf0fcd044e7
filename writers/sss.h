// Classic Triple-S description.
#pragma once

void write_sss_description(const char *description_file, const char *data_file);
