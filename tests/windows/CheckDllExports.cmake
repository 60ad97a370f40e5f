# cmake -DDLL=SMTPClient_Dll.dll -DOBJDUMP=x86_64-w64-mingw32-objdump -P CheckDllExports.cmake
# Fails unless the DLL exports the two factories at their ordinals and the
# extra entry points by name, and needs no MinGW runtime DLL beside it.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

if(NOT table MATCHES "Ordinal Base ([0-9]+)")
    message(FATAL_ERROR "no export table in ${DLL}:\n${table}")
endif()
set(base ${CMAKE_MATCH_1})

# The name table lists "[   0] CreateMimeMessage", the number being the
# ordinal less the base.
string(REGEX REPLACE ".*\\[Ordinal/Name Pointer\\] Table\n" "" names "${table}")
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [A-Za-z_0-9]+" entries "${names}")
set(exported "")
foreach(entry IN LISTS entries)
    string(REGEX MATCH "\\[ *([0-9]+)\\] ([A-Za-z_0-9]+)" ignored "${entry}")
    math(EXPR ordinal "${CMAKE_MATCH_1} + ${base}")
    set(ordinal_of_${CMAKE_MATCH_2} ${ordinal})
    list(APPEND exported ${CMAKE_MATCH_2})
endforeach()

list(SORT exported)
set(expected CreateMimeMessage CreateSmtpClient SmtpClientDispatchMessages
    SmtpClientMessageFd SmtpClientSetMessageLanguage)
if(NOT exported STREQUAL expected)
    message(FATAL_ERROR "exports are '${exported}', expected '${expected}'")
endif()
if(NOT ordinal_of_CreateMimeMessage EQUAL 1 OR NOT ordinal_of_CreateSmtpClient EQUAL 2)
    message(FATAL_ERROR "CreateMimeMessage has ordinal ${ordinal_of_CreateMimeMessage}, "
                        "CreateSmtpClient ${ordinal_of_CreateSmtpClient}; expected 1 and 2")
endif()

string(TOLOWER "${table}" lower)
foreach(runtime libstdc\\+\\+ libgcc_s libwinpthread)
    if(lower MATCHES "dll name: ${runtime}")
        message(FATAL_ERROR "the DLL needs ${runtime} at run time")
    endif()
endforeach()
