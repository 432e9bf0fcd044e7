// Triple-S XML description.
#pragma once

void write_xml_description(const char *description_file, const char *data_file);
