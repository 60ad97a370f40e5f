// Attachments and inline images as the client sends them, byte for byte
// beside the same parts made the way libcurl reads and encodes files itself
// (a file part with its "base64" encoder). Both go to the "plain" test
// listener; only the random boundaries differ.
#include <gtest/gtest.h>

#include <curl/curl.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/mime/FilePartSource.h"
#include "smtpclient/mime/MimeBodyTree.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Every kind of file part: libcurl's known endings in either case, unknown
// ones, none, and a name that needs quoting.
const char* const kImages[] = {"logo.png", "icon.BMP", "photo.jpg", "vector.svg", "picture.webp"};
const char* const kAttachments[] = {"note.txt", "LOG.TXT", "data.bin", "README", "Scan.PDF",
                                    "a.gif",    "b.jpeg",  "c.htm",    "d.xml",  "say \"hi\".html"};

// Whole and partial last lines, one line's worth, and a file that spans
// more than one of the blocks the library reads.
const size_t kSizes[] = {0, 1, 2, 3, 56, 57, 58, 114, kFileBlockBytes + 58};

struct Files {
    std::vector<std::string> images;
    std::vector<std::string> attachments;
};

// Different bytes for every file; file i of the tree has the size
// kSizes[(i + shift) % 9], so that the tree holds every size.
Files WriteFiles(const TempFolder& folder, size_t shift)
{
    Files files;
    size_t index = shift;
    const auto write = [&](const char* name) {
        const uint32_t seed = static_cast<uint32_t>(index);
        return folder.Write(name, PseudoRandomBytes(kSizes[index++ % 9], seed));
    };
    for (const char* name : kImages)
        files.images.push_back(write(name));
    for (const char* name : kAttachments)
        files.attachments.push_back(write(name));
    return files;
}

// The parts as the library builds them.
void AddLibraryParts(curl_mime* root, curl_mime* related, curl_mime* mixed, const Files& files)
{
    CMimeMessage message;
    message.SetHtmlBody(W("<p>images</p>").c_str());
    for (size_t i = 0; i < files.images.size(); ++i)
        message.AddInlineImage(W(files.images[i]).c_str(), W("image" + std::to_string(i)).c_str());
    for (const std::string& path : files.attachments)
        message.AddAttachment(W(path).c_str());
    const MessageSnapshot snapshot = TakeMessageSnapshot(message);
    AddInlineImageParts(&root, &related, snapshot);
    AddAttachmentParts(&root, &mixed, snapshot);
}

// The same parts as libcurl makes them of files with its own encoder.
void AddLibcurlParts(curl_mime* root, curl_mime* related, curl_mime* mixed, const Files& files)
{
    for (size_t i = 0; i < files.images.size(); ++i) {
        curl_mimepart* part = curl_mime_addpart(related);
        curl_mime_filedata(part, files.images[i].c_str());
        const char* type = GetImageMimeType(files.images[i].c_str());
        if (type[0] != 0)
            curl_mime_type(part, type);
        const std::string contentId = "Content-ID: <image" + std::to_string(i) + ">";
        curl_slist* headers = curl_slist_append(nullptr, contentId.c_str());
        curl_mime_headers(part, curl_slist_append(headers, "Content-Disposition: inline"), 1);
        curl_mime_encoder(part, "base64");
    }
    curl_mimepart* images = curl_mime_addpart(root);
    curl_mime_subparts(images, related);
    curl_mime_type(images, "multipart/related");
    for (const std::string& path : files.attachments) {
        curl_mimepart* part = curl_mime_addpart(mixed);
        curl_mime_filedata(part, path.c_str());
        curl_mime_encoder(part, "base64");
    }
    curl_mimepart* attachments = curl_mime_addpart(root);
    curl_mime_subparts(attachments, mixed);
    curl_mime_type(attachments, "multipart/mixed");
}

typedef void (*PartBuilder)(curl_mime*, curl_mime*, curl_mime*, const Files&);

int CollectSent(CURL*, curl_infotype type, char* data, size_t size, void* sent)
{
    if (type == CURLINFO_HEADER_OUT || type == CURLINFO_DATA_OUT)
        static_cast<std::string*>(sent)->append(data, size);
    return 0;
}

struct Transfer {
    CURLcode result;
    std::string sent; // every byte the client sent, commands included
};

// Sends the parts that build makes to the plain listener.
Transfer Send(PartBuilder build, const Files& files)
{
    Transfer transfer;
    CURL* curl = curl_easy_init();
    curl_mime* root = curl_mime_init(curl);
    curl_mime* related = curl_mime_init(curl);
    curl_mime* mixed = curl_mime_init(curl);
    build(root, related, mixed, files);
    const std::string url = "smtp://127.0.0.1:" + std::to_string(ServerPort("plain"));
    const std::string recipient = "file-parts-" + std::to_string(getpid()) + "@example.org";
    curl_slist* recipients = curl_slist_append(nullptr, recipient.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, "sender@example.com");
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, root);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, CollectSent);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &transfer.sent);
    transfer.result = curl_easy_perform(curl);
    curl_slist_free_all(recipients);
    curl_mime_free(related);
    curl_mime_free(mixed);
    curl_mime_free(root);
    curl_easy_cleanup(curl);
    return transfer;
}

// libcurl's boundaries: 24 dashes or more, then random letters and digits.
std::string MaskBoundaries(const std::string& text)
{
    return std::regex_replace(text, std::regex("-{24,}[A-Za-z0-9]*"), "<boundary>");
}

// Twice, so that the images, too, come in every size.
TEST(FilePartWire, SameBytesAsLibcurlsOwnEncoder)
{
    for (size_t shift : {0, 5}) {
        TempFolder folder;
        const Files files = WriteFiles(folder, shift);
        const Transfer expected = Send(AddLibcurlParts, files);
        const Transfer actual = Send(AddLibraryParts, files);
        ASSERT_EQ(CURLE_OK, expected.result);
        EXPECT_EQ(CURLE_OK, actual.result);
        EXPECT_EQ(MaskBoundaries(expected.sent), MaskBoundaries(actual.sent));
    }
}

} // namespace
