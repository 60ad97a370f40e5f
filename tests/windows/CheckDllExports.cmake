# cmake -DDLL=SMTPClient_Dll.dll -DOBJDUMP=x86_64-w64-mingw32-objdump -P CheckDllExports.cmake
# Fails unless the DLL exports the two factories at ordinals 1 and 2 and the
# extra entry points by name, and needs no MinGW runtime DLL beside it.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
if(failed OR NOT table MATCHES "Ordinal Base 1\n")
    message(FATAL_ERROR "no export table with ordinal base 1 in ${DLL}:\n${table}")
endif()

# The name table, sorted by name, gives each ordinal less the base.
string(REGEX REPLACE ".*\\[Ordinal/Name Pointer\\] Table\n" "" names "${table}")
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [A-Za-z_0-9]+" entries "${names}")
string(REGEX REPLACE "\t\\[ *([0-9]+)\\] " "\\1:" entries "${entries}")
string(REGEX REPLACE "[0-9]+:(Smtp)" "\\1" entries "${entries}")
set(expected 0:CreateMimeMessage 1:CreateSmtpClient SmtpClientDispatchMessages
    SmtpClientMessageFd SmtpClientSetMessageLanguage)
if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "exports are '${entries}', expected '${expected}'")
endif()

string(TOLOWER "${table}" lower)
if(lower MATCHES "dll name: (libstdc\\+\\+|libgcc_s|libwinpthread)")
    message(FATAL_ERROR "the DLL needs ${CMAKE_MATCH_1} at run time")
endif()
