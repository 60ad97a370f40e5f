// Building one libcurl SMTP transfer from a send's settings and message.
#ifndef SMTPCLIENT_SENDPIPELINE_H
#define SMTPCLIENT_SENDPIPELINE_H

#include <optional>

#include "Outcomes.h"
#include "SendSettings.h"
#include "Transfer.h"
#include "mime/MessageSnapshot.h"

namespace SMTPClientNS {

// 0 when the transfer is ready to perform, otherwise the raw outcome that
// stopped the build: a bad state without a message, CURLE_OUT_OF_MEMORY when
// memory ran out. Never throws; its steps throw std::bad_alloc instead.
RawOutcome BuildRequest(Transfer& transfer, const SendSettings& settings,
                        const std::optional<MessageSnapshot>& message);

// A request that only ends the kept connection it finds, made under the
// same settings: NOOP, then QUIT as the connection closes, each reply
// awaited for at most waitSeconds. It never opens a connection of its own.
// 0, or the raw outcome that stopped the build. Never throws.
RawOutcome BuildClosingRequest(CURL* curlHandle, const SendSettings& settings, long waitSeconds);

} // namespace SMTPClientNS

#endif
