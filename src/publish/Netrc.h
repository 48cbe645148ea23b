#pragma once

// The password ~/.netrc holds for a server, for the connections that do not look it up themselves
// (libcurl reads the file for FTP itself). The file's words are separated by blanks and line
// breaks: "machine NAME" starts a server's entry and "default" the entry for every other server,
// each with "login NAME" and "password WORD"; "macdef" starts a macro that runs to an empty line.
// The first entry for the server that names the user, or none, counts.

#include <string>

// The password for `user` on `host` (letter case aside) in the netrc text `netrc`; empty when it
// holds none.
std::string NetrcPassword(const std::string& netrc, const std::string& host,
                          const std::string& user);

// The same from the user's ~/.netrc ($HOME); empty when there is no such file.
std::string UserNetrcPassword(const std::string& host, const std::string& user);
