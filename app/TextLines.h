#ifndef QUENCHBOX_APP_TEXTLINES_H
#define QUENCHBOX_APP_TEXTLINES_H

#include <string>
#include <vector>

namespace quenchbox::app {

// The lines of a small text file as any editor may have saved it: after a
// UTF-8 byte order mark, with LF or CRLF line ends, the last line with or
// without one.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace quenchbox::app

#endif
