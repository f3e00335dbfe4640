#pragma once
#include <functional>
#include <string>

// The library's text data files: "key=value" lines; blank lines and lines starting
// with '#' are skipped, a trailing '\r' is dropped.
enum class KeyValueRead { Ok, Missing, Failed };

// Calls pair for each line in order; a pair that answers false stops the read (it
// sets error). A file above maxSize, or a line without a key, fails with error
// naming the file ("<path>: too large for <kind>", "<path>: line N is not a <item>").
KeyValueRead ReadKeyValueFile(const std::string& path, long long maxSize, const char* kind, const char* item,
                              const std::function<bool(const std::string& key, const std::string& value, int line,
                                                       std::string& error)>& pair,
                              std::string& error);
