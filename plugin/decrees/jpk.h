// The JPK_V7 markings of a document: the procedure-marking list of the document's JPK_V7 line
// and the GTU list of its register lines.
//
// Both lists are the names of the set bits of a mask, joined with ",". The name tables hold 32
// entries, one per bit; an empty entry (bits 14 and 15 and above of the procedure markings)
// adds nothing. The joins never write past their limit.
#pragma once

#include <cstdint>

namespace plugin {

inline constexpr int kProcedureListSize = 2048;
inline constexpr int kGtuListSize = 256;

// The names of the set bits of mask, in bit order, separated by ","; at most count names (0: no
// count limit). Stops and returns 1 when the next name would make the text reach limit
// characters (out holds at least limit bytes); returns 0 otherwise.
int JoinFlagNames(char* out, int limit, std::uint32_t mask, int count,
                  const char* const names[32]);

// Procedure markings (SW, EE, TP, ...) of a sign-widened 16-bit field into out (2048 bytes).
char* FormatProcedureMarks(char* out, std::int32_t mask);

// GTU_01 ... GTU_32 of a 32-bit field into out (256 bytes).
char* FormatGtuList(char* out, std::int32_t mask);

}  // namespace plugin
