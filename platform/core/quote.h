// Text a caller or the system gave us, made fit for one line of a message: the one quoting
// function of both libraries and the game, and the UTF-8 rule it follows.
#pragma once

#include <cstddef>
#include <string>

// Enough of a name or value to recognise it; a 1 MiB file name stays a short line.
inline constexpr std::size_t core_quotemax = 96;

enum class core_quotes {
  bare,    // as it is (the line around it says where it starts and ends)
  single,  // 'in single quotes', a cut marked inside them: 'abc...'
  dbl,     // "in double quotes", a cut marked after them: "abc"...
};

// At most `most` bytes of `s`, cut on a whole character with "..." marking the cut;
// control bytes and bytes that are not UTF-8 as \xNN; inside quotes, the quote and the
// backslash escaped with a backslash. (null) for null.
std::string core_quote(char const* s, core_quotes q = core_quotes::bare,
                       std::size_t most = core_quotemax);

// The length of the well-formed UTF-8 character at p (1..4), 0 when its bytes do not form
// one (overlong forms, surrogates and values past U+10FFFF are not characters).
int core_u8len(unsigned char const* p);
