# Script behind the install_tree test (cmake -P).
# In: BUILD_DIR, WORK_DIR, HOST_SOURCE, EXAMPLES_SOURCE, LIBDIR, CXX, SANITIZE,
# NM, PKG_CONFIG. Leaves the examples built in WORK_DIR/examples.

set(exports CreateMimeMessage CreateSmtpClient SmtpClientDispatchMessages
            SmtpClientMessageFd SmtpClientSetMessageLanguage)

foreach(tool NM PKG_CONFIG)
    if(NOT ${tool})
        message(FATAL_ERROR "${tool} not found: install binutils and pkg-config")
    endif()
endforeach()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status
                    OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "failed (${status}): ${ARGN}\n${output}")
    endif()
    set(run_output "${output}" PARENT_SCOPE)
endfunction()

# The host must be built like the library when sanitizers are on, or the
# sanitizer runtime refuses to load.
if(SANITIZE STREQUAL "address")
    set(sanitize_flags -fsanitize=address,undefined)
elseif(SANITIZE STREQUAL "thread")
    set(sanitize_flags -fsanitize=thread)
endif()
string(JOIN " " sanitize_flag_text ${sanitize_flags})

set(prefix ${WORK_DIR}/prefix)
set(libdir ${prefix}/${LIBDIR})
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Only the entry points are visible.
run(${NM} -D --defined-only --format=just-symbols ${libdir}/libSMTPClient_Dll.so)
string(REGEX MATCHALL "[^\n]+" visible "${run_output}")
list(SORT visible)
if(NOT visible STREQUAL exports)
    message(FATAL_ERROR "exported symbols differ:\n  expected ${exports}\n  found ${visible}")
endif()

# Through the CMake package: configures and builds the project in source_dir.
function(build_with_package source_dir binary_dir)
    run(${CMAKE_COMMAND} -S ${source_dir} -B ${binary_dir}
        -DCMAKE_CXX_COMPILER=${CXX}
        -DCMAKE_PREFIX_PATH=${prefix}
        -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
        "-DCMAKE_CXX_FLAGS=${sanitize_flag_text}"
        "-DCMAKE_EXE_LINKER_FLAGS=${sanitize_flag_text}")
    file(STRINGS ${binary_dir}/CMakeCache.txt package_dir REGEX "^SMTPClient_DIR:")
    if(NOT package_dir MATCHES "=${prefix}/")
        message(FATAL_ERROR "package found outside the scratch prefix: ${package_dir}")
    endif()
    run(${CMAKE_COMMAND} --build ${binary_dir})
endfunction()

set(cmake_host ${WORK_DIR}/host-cmake)
build_with_package(${HOST_SOURCE} ${cmake_host})
run(${cmake_host}/smtpclient_host)
build_with_package(${EXAMPLES_SOURCE}/sync_send ${WORK_DIR}/examples/sync_send-build)
file(COPY ${WORK_DIR}/examples/sync_send-build/sync_send DESTINATION ${WORK_DIR}/examples)

# Through pkg-config.
set(pkg_env ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${libdir}/pkgconfig PKG_CONFIG_PATH=)
run(${pkg_env} ${PKG_CONFIG} --cflags --libs smtpclient)
separate_arguments(pc_flags UNIX_COMMAND "${run_output}")
set(pc_host ${WORK_DIR}/host-pkgconfig)
run(${CXX} -std=c++11 ${sanitize_flags} ${HOST_SOURCE}/Host.cpp ${pc_flags} -o ${pc_host})
run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${pc_host})
# The examples' header sits one folder above each example.
run(${CXX} -std=c++11 ${sanitize_flags} -I${EXAMPLES_SOURCE} ${EXAMPLES_SOURCE}/async_poll/AsyncPoll.cpp
    ${pc_flags} -o ${WORK_DIR}/examples/async_poll)
run(${CXX} -std=c++11 ${sanitize_flags} -I${EXAMPLES_SOURCE} ${EXAMPLES_SOURCE}/bulk_send/BulkSend.cpp
    ${pc_flags} -o ${WORK_DIR}/examples/bulk_send)
