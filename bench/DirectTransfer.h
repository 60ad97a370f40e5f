// One send written directly against libcurl: the options, envelope, header
// block and MIME tree that the library sets up, without the library.
#ifndef SMTPCLIENT_BENCH_DIRECTTRANSFER_H
#define SMTPCLIENT_BENCH_DIRECTTRANSFER_H

#include "BenchMessage.h"

namespace SMTPClientBench {

// Opens its own connection, like every send of the library. Returns the
// CURLcode.
int SendDirect(const MessageContent& content, int port);

} // namespace SMTPClientBench

#endif
