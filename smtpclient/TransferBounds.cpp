#include "TransferTimeouts.h"

namespace SMTPClientNS {

// RFC 5321 section 4.5.3.2 asks a client to wait at least 3 minutes for each
// block of data to be taken, and at least 5 minutes for the greeting and the
// MAIL and RCPT replies, 2 for DATA's and 10 for the reply to the final dot.
// One reply bound meets all of them.
const TransferBounds kTransferBounds = {3 * 60 * 1000, 10 * 60 * 1000};

} // namespace SMTPClientNS
