#pragma once
// How the picture code reaches the interpreter without depending on it: the interpreter
// installs these at start-up. Until it does, errors go to the console log, no program
// variable exists and relative paths resolve against the home folder.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace pravella::graphics {

// Reports a failure once (the interpreter's error report appends it to the result text).
void reportError(const std::string& message);
void setErrorReporter(std::function<void(const std::string&)> reporter);

// Reads a real variable of the running program at the current scope level: its elements row
// after row; false when there is none.
bool readProgramVariable(const std::string& name, std::vector<double>& elements);
void setVariableReader(std::function<bool(const std::string&, std::vector<double>&)> reader);

// The largest picture value in bytes: the language's element capacity times 8 (8,000,000
// unless a program changed the capacity).
std::size_t pictureByteLimit();
void setPictureByteLimitProvider(std::function<std::size_t()> provider);

// The working folder against which relative file names of a program resolve.
std::string workingFolder();
void setWorkingFolderProvider(std::function<std::string()> provider);

// The file-name rule of the language: a path starting with "/" is used as it is; any other is
// appended to the working folder with one "/" between them.
std::string resolveProgramPath(const std::string& path);

}  // namespace pravella::graphics
