#include "DirectTransfer.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace SMTPClientBench {

namespace {

// The library echoes libcurl's informational text to standard error, as
// libcurl itself does with CURLOPT_VERBOSE; the direct transfer gives the same
// output and keeps no trace.
int EchoInformationalText(CURL*, curl_infotype type, char* data, size_t size, void*)
{
    if (type == CURLINFO_TEXT)
        std::fwrite(data, 1, size, stderr);
    return 0;
}

void SetOptions(CURL* curl, const MessageContent& content, int port)
{
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, EchoInformationalText);
    curl_easy_setopt(curl, CURLOPT_URL, "smtp://127.0.0.1");
    curl_easy_setopt(curl, CURLOPT_PORT, static_cast<long>(port));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 0L);
    curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYSTATUS, 0L);
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, content.fromAddress.c_str());
}

size_t ReadReadyText(char* buffer, size_t size, size_t count, void* file)
{
    return std::fread(buffer, size, count, static_cast<std::FILE*>(file));
}

void CloseReadyText(void* file)
{
    std::fclose(static_cast<std::FILE*>(file));
}

// The attachment as libcurl encodes the file itself, or its Base64 text read
// as it is: the same part on the wire either way.
void AddAttachment(curl_mime* mixed, const MessageContent& content)
{
    curl_mimepart* file = curl_mime_addpart(mixed);
    if (content.readyBase64Path.empty()) {
        curl_mime_filedata(file, content.attachmentPath.c_str());
        curl_mime_encoder(file, "base64");
        return;
    }
    std::FILE* text = std::fopen(content.readyBase64Path.c_str(), "rb");
    if (text == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", content.readyBase64Path.c_str());
        std::exit(2);
    }
    std::fseek(text, 0, SEEK_END);
    const curl_off_t length = std::ftell(text);
    std::fseek(text, 0, SEEK_SET);
    curl_mime_data_cb(file, length, ReadReadyText, nullptr, CloseReadyText, text);
    const size_t slash = content.attachmentPath.rfind('/');
    curl_mime_filename(file, content.attachmentPath.c_str()
                                 + (slash == std::string::npos ? 0 : slash + 1));
    curl_mime_type(file, "application/octet-stream");
    curl_mime_headers(file, curl_slist_append(nullptr, "Content-Transfer-Encoding: base64"), 1);
}

// Text part in a multipart/alternative container, then the attachment in a
// multipart/mixed one, as the library builds them.
curl_mime* BuildBody(CURL* curl, const MessageContent& content)
{
    curl_mime* root = curl_mime_init(curl);
    curl_mime* alternative = curl_mime_init(curl);
    curl_mimepart* text = curl_mime_addpart(alternative);
    curl_mime_data(text, content.textBody.c_str(), CURL_ZERO_TERMINATED);
    curl_mime_type(text, "text/plain; charset=UTF-8");
    curl_mimepart* container = curl_mime_addpart(root);
    curl_mime_subparts(container, alternative);
    curl_mime_type(container, "multipart/alternative");
    curl_mime_headers(container, curl_slist_append(nullptr, "Content-Disposition: inline"), 1);
    if (!content.attachmentPath.empty()) {
        curl_mime* mixed = curl_mime_init(curl);
        AddAttachment(mixed, content);
        curl_mimepart* files = curl_mime_addpart(root);
        curl_mime_subparts(files, mixed);
        curl_mime_type(files, "multipart/mixed");
    }
    return root;
}

} // namespace

int SendDirect(const MessageContent& content, int port, int mimeTrees)
{
    CURL* curl = curl_easy_init();
    SetOptions(curl, content, port);
    curl_slist* recipients = curl_slist_append(nullptr, content.toAddress.c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_slist* header = curl_slist_append(nullptr, HeaderBlock(content).c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, header);
    curl_mime* body = BuildBody(curl, content);
    // Trees that stay empty cost only their creation, in which libcurl draws
    // a random boundary.
    std::vector<curl_mime*> emptyTrees;
    const int usedTrees = content.attachmentPath.empty() ? 2 : 3;
    for (int i = usedTrees; i < mimeTrees; ++i)
        emptyTrees.push_back(curl_mime_init(curl));
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, body);
    const int rc = curl_easy_perform(curl);
    curl_slist_free_all(recipients);
    curl_slist_free_all(header);
    curl_mime_free(body);
    for (curl_mime* tree : emptyTrees)
        curl_mime_free(tree);
    curl_easy_cleanup(curl);
    return rc;
}

} // namespace SMTPClientBench
