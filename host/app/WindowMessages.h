// The editor's window speaks Simplified Chinese while the engine's messages, which scripts,
// logs and tests read, keep their stable English form. This turns an engine message into the
// words a person sees in the status line or a message box.
//
// A message is "PATH:LINE: what", "PATH: what" or "what". The location is kept (the path as it
// stands, the line as 第 N 行) and the part after it is looked up in a table of the messages
// the editor makes: names, paths and numbers inside it are carried over, the words around them
// translated. The reasons the system or the engine give (a file system error, an XML parse
// error) are translated for those we know; an unknown one is shown in parentheses after a
// Chinese sentence, so a message never reads as English alone.
#pragma once

#include <string>

// The window's wording of an engine message (UTF-8 in, UTF-8 out).
std::string WindowMessage(const std::string& message);

// Only the part after the location ("what" above), or "" when no rule knows it.
std::string TranslateMessageBody(const std::string& body);
