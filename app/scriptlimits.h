// The install script's limits: the buffers (NUL included) the setup reads
// each key list and value into, and the widths of what it makes of them.
// The reader, the script checker and the media builder share them; the
// package record's fields (globals.h) and the icon widths (shell/shelltext.h)
// give the rest.
#pragma once

#include <cstddef>
#include <cstdint>

// Key lists. The profile reader returns the size less two when a list does
// not fit, and the setup takes exactly that result as too much data.
const uint32_t SCRIPT_KEYS_SIZE = 300;       // Packages, WinIniData, run items, DeleteFiles
const uint32_t SCRIPT_LONG_KEYS_SIZE = 500;  // the disk sections, Icons
// A disk section's list is read with two bytes to spare, so that one of
// exactly 500 bytes is not taken for a cut one; a longer one is cut to 500.
const uint32_t SCRIPT_DISK_KEYS_READ_SIZE = SCRIPT_LONG_KEYS_SIZE + 2;

// Values as read; a longer value is cut to the size less one.
const uint32_t SCRIPT_BASEDIR_SIZE = 144;
const uint32_t SCRIPT_VALUE_SIZE = 150;          // a package, WIN.INI key, run item, file to delete
const uint32_t SCRIPT_SECTION_ENTRY_SIZE = 200;  // an AddToSection value
const uint32_t SCRIPT_ICON_VALUE_SIZE = 300;
const uint32_t SCRIPT_ARCHIVE_NAME_SIZE = 15;  // the archive a disk section's key names

// Values after path codes are expanded.
const size_t SCRIPT_WININI_VALUE_SIZE = 500;  // a plain WIN.INI value
const size_t SCRIPT_COMMAND_SIZE = 500;       // a run item's command line
const size_t SCRIPT_DELETE_PATH_SIZE = 760;   // a file to delete
const size_t SCRIPT_PACKAGE_DEST_SIZE = 144;  // a package's destination directory

// The run-item question "Do you want to \n%s ?" holds 199 characters, which
// leaves 181 for the key name.
const size_t SCRIPT_QUESTION_SIZE = 200;
const size_t SCRIPT_MAX_QUESTION_KEY = SCRIPT_QUESTION_SIZE - 1 - 18;
