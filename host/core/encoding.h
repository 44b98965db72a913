// Conversions between the host's code pages: Mazovia (texts of the database, the plug-in and
// every exchange with it), Windows-1250 (the export file) and UTF-8 (terminal, file system,
// JSON, mail). Pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

// Every Mazovia byte has a character, so this never fails.
std::string MazoviaToUtf8(std::string_view mazovia);

// Fails (false) at the first character that Mazovia cannot hold or at malformed UTF-8;
// `badOffset` (may be null) then receives the byte offset of the offending sequence.
bool Utf8ToMazovia(std::string_view utf8, std::string& out, std::size_t* badOffset = nullptr);

// Fails at the first Mazovia byte that Windows-1250 cannot hold (box drawing and the like).
bool MazoviaToWindows1250(std::string_view mazovia, std::string& out,
                          std::size_t* badOffset = nullptr);
bool Windows1250ToMazovia(std::string_view cp1250, std::string& out,
                          std::size_t* badOffset = nullptr);

// Converts between the host's code page numbers (1 Mazovia, 3 Windows-1250, 5 UTF-8).
// Returns false for an unknown code page or a character the target cannot hold.
bool ConvertCodePage(std::string_view text, int fromCodePage, int toCodePage, std::string& out,
                     std::size_t* badOffset = nullptr);

}  // namespace host
