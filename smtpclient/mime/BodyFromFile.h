// Bodies read from files, and inline embedding of the images an HTML body
// names.
#ifndef SMTPCLIENT_MIME_BODYFROMFILE_H
#define SMTPCLIENT_MIME_BODYFROMFILE_H

#include "../IMimeMessage.h"

namespace SMTPClientNS {

// Replaces the text or HTML body of message from the file at path, by kind
// (0..5); reports nothing.
void LoadBodyFromFile(IMimeMessage& message, const SmtpChar* path, int kind);

// Turns every image the HTML body names into an inline image referred to by
// "cid:".
void EmbedHtmlImages(IMimeMessage& message);

} // namespace SMTPClientNS

#endif
