#pragma once
// The receive log: every chunk appended to a file, bare or as a dated line.

#include <string>

// Appends chunk to the file at path (created when missing). With withDateTime
// the text is "<short date> <long time> <chunk>\r\n" in the user's formats;
// without it the chunk alone, so chunks run together. The file is opened and
// closed for every chunk. Throws ESerialPortException
// "Invalid log file name or access denied." on any failure.
void WriteToLogFile(const std::string& path, bool withDateTime, const std::string& chunk);
