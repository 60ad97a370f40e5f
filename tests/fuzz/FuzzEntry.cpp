// libFuzzer's entry point for the target named by SMTPCLIENT_FUZZ_TARGET.
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return SMTPClientFuzz::SMTPCLIENT_FUZZ_TARGET(data, size);
}
