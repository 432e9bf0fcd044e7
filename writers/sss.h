// Classic Triple-S description.
#pragma once

#include <string>

void write_sss_description(const char *description_file, const char *data_file);

// The text with every double quotation mark written as {"}.
std::string sss_quote(const char *text);
