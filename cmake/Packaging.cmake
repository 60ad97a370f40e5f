# Debian packages from the install, one per component (cpack -G DEB):
#   runtime      libsmtpclient1      the shared library and its SONAME link
#   development  libsmtpclient-dev   headers, the .so link, CMake package, pkg-config file
#   smtpsend     smtpsend            the command-line host and its manual page
# The runtime package is named for the SONAME's major version, as Debian names
# library packages, so a future ABI break installs beside it.
#
# Configure with -DCMAKE_INSTALL_PREFIX=/usr: the libraries then go to the
# multiarch folder (lib/x86_64-linux-gnu) and the pkg-config file and the
# CMake package name the paths the packages install to.

set(SMTPCLIENT_PACKAGE_CONTACT "SMTPClient_Dll maintainers <maintainers@example.org>"
    CACHE STRING "Maintainer field of the Debian packages")

set(SMTPCLIENT_RUNTIME_PACKAGE libsmtpclient${PROJECT_VERSION_MAJOR})

set(CPACK_PACKAGE_NAME smtpclient)
set(CPACK_PACKAGE_CONTACT "${SMTPCLIENT_PACKAGE_CONTACT}")
# Each package's summary is the first line of its component's description;
# an empty common one keeps CPack from putting it in front of them.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
if(UNIX AND NOT APPLE)
    set(CPACK_GENERATOR DEB)
endif()
set(CPACK_STRIP_FILES ON)
# Install with DESTDIR into the staging folder, so that the install runs with
# the real prefix and the pkg-config file written then names it.
set(CPACK_SET_DESTDIR ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
if(TARGET smtpsend)
    list(APPEND CPACK_COMPONENTS_ALL smtpsend)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# Dependencies on shared libraries come from dpkg-shlibdeps; the runtime
# package's shlibs file lets the packages that link it depend on it in turn.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

# smtpsend links the library of the runtime package, which is not installed
# while the packages are made. dpkg-shlibdeps looks for it in the private
# folders given with -l, and takes the dependency from the DEBIAN/shlibs of
# the package tree it was found in: the library's build folder gets the
# runtime package's shlibs line, the same that CPack writes into that package.
if(UNIX AND NOT APPLE)
    set(SMTPCLIENT_LIBRARY_DIR "$<TARGET_FILE_DIR:SMTPClient_Dll>")
    set(SMTPCLIENT_SHLIBS_NAME "$<TARGET_FILE_PREFIX:SMTPClient_Dll>$<TARGET_FILE_BASE_NAME:SMTPClient_Dll>")
    file(GENERATE OUTPUT "${SMTPCLIENT_LIBRARY_DIR}/DEBIAN/shlibs" CONTENT
         "${SMTPCLIENT_SHLIBS_NAME} ${PROJECT_VERSION_MAJOR} ${SMTPCLIENT_RUNTIME_PACKAGE} (>= ${PROJECT_VERSION})\n")
    file(GENERATE OUTPUT "${PROJECT_BINARY_DIR}/CPackLibraryDir.cmake" CONTENT
         "set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS \"${SMTPCLIENT_LIBRARY_DIR}\")\n")
    set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_BINARY_DIR}/CPackLibraryDir.cmake")
endif()

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${SMTPCLIENT_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# Debian refreshes the loader's cache through the ldconfig trigger.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "SMTP client library: composes MIME mail and sends it over SMTP
The library composes a message (RFC 2047 headers, text and HTML bodies, inline
images, Base64 attachments) and sends it through libcurl, with STARTTLS, login,
OAuth 2.0 and SOCKS proxies, synchronously or on a worker thread.
This package holds the shared library.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libsmtpclient-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# Written by hand, as Debian does for -dev packages: the headers and the .so
# link belong to exactly this version of the runtime package, and the
# development files of libcurl, which the library is built on, come along.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "${SMTPCLIENT_RUNTIME_PACKAGE} (= ${PROJECT_VERSION}), libcurl4-openssl-dev | libcurl-dev")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "SMTP client library: development files
The headers, the CMake package (find_package(SMTPClient)) and the pkg-config
file (smtpclient) for building programs against the SMTP client library.")

set(CPACK_DEBIAN_SMTPSEND_PACKAGE_NAME smtpsend)
set(CPACK_DEBIAN_SMTPSEND_PACKAGE_SECTION mail)
set(CPACK_COMPONENT_SMTPSEND_DESCRIPTION
    "send an e-mail message from the command line through an SMTP server
smtpsend composes a message with recipients, text and HTML bodies, inline
images and attachments, and sends it over SMTP with the SMTP client library:
STARTTLS, login with a password from a prompt, a file or the environment,
OAuth 2.0 tokens and SOCKS proxies.")

include(CPack)
