// One send written directly against libcurl: the options, envelope, header
// block and MIME tree that the library sets up, without the library.
#ifndef SMTPCLIENT_BENCH_DIRECTTRANSFER_H
#define SMTPCLIENT_BENCH_DIRECTTRANSFER_H

#include "BenchMessage.h"

namespace SMTPClientBench {

// MIME handles per send: the fewest that carry the message's parts, or the
// four that the library creates for every send, parts or not.
const int kFewestMimeTrees = 0;
const int kLibraryMimeTrees = 4;

// Opens its own connection, like every send of the library. Returns the
// CURLcode.
int SendDirect(const MessageContent& content, int port, int mimeTrees = kFewestMimeTrees);

} // namespace SMTPClientBench

#endif
