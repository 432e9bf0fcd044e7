// Triple-S XML description.
#pragma once

#include <string>

void write_xml_description(const char *description_file, const char *data_file);

// The text with XML's special characters, control characters and bytes from 0x80 up
// written as references; a line feed becomes <br/> (nothing when it ends the text).
std::string xml_escape(const char *text);
// The text made into an XML name: a leading digit gets a '_' before it, punctuation
// other than '_' becomes '_', white space is dropped.
std::string xml_name(const char *text);
