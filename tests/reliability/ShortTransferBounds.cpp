// Linked into the time-out tests in place of the library's own bounds, so
// that a stalled send ends within seconds.
#include "smtpclient/TransferTimeouts.h"

namespace SMTPClientNS {

const TransferBounds kTransferBounds = {1000, 4000};

} // namespace SMTPClientNS
