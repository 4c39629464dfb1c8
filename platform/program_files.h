#pragma once

#include <QString>

// Where the program finds the files it ships with (the camera driver library,
// the language files): beside the executable first, as in the build folder or
// a copy a user made, then in the installed library folder, reached from the
// executable's folder (bin/../lib/omtrix), so that a relocated or DESTDIR
// install works. A file found in neither place gives the path beside the
// executable, so that the failure names where it was looked for first.
QString ProgramFilePath(const QString &file_name);
// The same for a program in `program_folder`.
QString ProgramFilePath(const QString &program_folder, const QString &file_name);
