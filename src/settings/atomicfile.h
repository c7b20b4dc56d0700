#pragma once
// Replacing the settings file in one step: the new text goes to a temporary
// file beside it, reaches the disk, and is renamed over the old file. A run
// cut short at any moment leaves the old file or the new one, never a mix,
// and at worst a temporary file that the next start removes.

#include <QString>
#include <string_view>

namespace honura::profile {

// Replaces the file at path with bytes, keeping its owner, group and mode as
// far as this process may set them. Through a symbolic link the file it points
// to is replaced. Everything happens with the rights of the user the program
// works for (see invokinguser.h). False, with the file as it was and no
// temporary file left, when it cannot be done: a read-only file, something
// other than a file at path, a folder that cannot be written, a full disk.
bool writeFile(const QString& path, std::string_view bytes);

// True when name is that of a temporary file writeFile() makes for the file
// named fileName: fileName, ".", six letters or digits, ".tmp".
bool isTemporaryName(const QString& name, const QString& fileName);

// Removes the temporary files that saves of the file at path left behind when
// they were cut short, as far as the user the program works for may. A
// temporary file that another run is writing is left.
void removeStaleTemporaries(const QString& path);

} // namespace honura::profile
