// The plain-text manifest kqpmake turns into a patch file.
//
//   # A comment line; blank lines are ignored.
//   title = Racing 1.2 update
//
//   [directory]
//   id = 5
//   kind = registry                      registry, search, or a number
//   key = SOFTWARE\KenQuill\Racing       subkey below the root, or the file to search
//   name = RACE.EXE                      optional; left out, the reader derives it
//   root = HKLM                          registry kind only: HKCR HKCU HKLM HKU HKCC
//                                        HKDD (or HKEY_... in full), or a number
//
//   [file]
//   directory = 5                        windows (-1), system (-2), or an id
//   name = DATA\MAP.DAT                  relative to the directory
//   operation = replace                  replace, add, remove, or a number
//   description = Updating the map       optional; repeat the line for more lines
//   key-byte = 16                        0..255, added to each byte when applied; default 0
//   source = map.dat                     the new content, relative to the manifest's
//                                        folder; left out, the payload is empty;
//                                        never with remove
//
// One "field = value" per line; the value runs to the end of the line, spaces
// around it dropped. Comments take whole lines only, since values (paths) may
// hold '#'. "title" comes once, before the first section. Entries and records
// are written in the order given.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "kqp_writer.h"

namespace kqpmake {

// Fills content from the manifest's text, reading payload sources relative to
// baseDir. False with "line N: ..." in error on the first problem.
bool ParseManifest(std::string_view text, const std::filesystem::path& baseDir,
                   PatchContent& content, std::string& error);

}  // namespace kqpmake
