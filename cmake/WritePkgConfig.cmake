# Runs at install time: writes smtpclient.pc with absolute paths under the
# prefix actually installed to, which may differ from the configured one
# (cmake --install --prefix).
#
# In: SMTPCLIENT_PC_TEMPLATE, SMTPCLIENT_PC_OUTPUT, SMTPCLIENT_PC_LIBDIR_REL,
#     SMTPCLIENT_PC_INCLUDEDIR_REL, SMTPCLIENT_PC_DESCRIPTION,
#     SMTPCLIENT_PC_VERSION, and CMAKE_INSTALL_PREFIX as set by the install.

function(smtpclient_pc_absolute directory result)
    if(IS_ABSOLUTE "${directory}")
        set(${result} "${directory}" PARENT_SCOPE)
    else()
        set(${result} "${CMAKE_INSTALL_PREFIX}/${directory}" PARENT_SCOPE)
    endif()
endfunction()

set(SMTPCLIENT_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
smtpclient_pc_absolute("${SMTPCLIENT_PC_LIBDIR_REL}" SMTPCLIENT_PC_LIBDIR)
smtpclient_pc_absolute("${SMTPCLIENT_PC_INCLUDEDIR_REL}" SMTPCLIENT_PC_INCLUDEDIR)
configure_file("${SMTPCLIENT_PC_TEMPLATE}" "${SMTPCLIENT_PC_OUTPUT}" @ONLY)
