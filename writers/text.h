// Tab-separated text description.
#pragma once

void write_text_description(const char *description_file, const char *data_file);
