# SPDX-License-Identifier: GPL-3.0-or-later
# Where the private CUPS schedulers of the print tests live (tests/print/cups_sandbox.sh).
#
#   TAVEX_CUPS_SANDBOX    the script
#   TAVEX_CUPS_DIR        fixture cups_sandbox: queue TavexPDF (cups-pdf), the default;
#                         its PDFs land in ${TAVEX_CUPS_DIR}/out
#   TAVEX_CUPS_EMPTY_DIR  fixture cups_empty: no printer, no default
#   TAVEX_CUPS_ENV        ENVIRONMENT for a test of cups_sandbox
#   TAVEX_CUPS_EMPTY_ENV  ENVIRONMENT for a test of cups_empty
#   TAVEX_CUPS_ENV_MODS   ENVIRONMENT_MODIFICATION for either: unsets PRINTER and LPDEST,
#                         which would name a default destination of their own
#   tavex_cups_tests()    the same for the tests found by gtest_discover_tests (below)
#
# CUPS_SERVERROOT (in both environments) points at an empty client configuration, so that
# no lpoptions file of the system names a default that the sandbox does not have.
#
# The directories are in the build tree, unless the path is too long for a Unix socket
# or user lp (who runs CUPS filters) cannot enter the build tree: then under /tmp, named
# by a checksum of the build tree, so that build trees never share a sandbox.

set(TAVEX_CUPS_SANDBOX ${CMAKE_CURRENT_LIST_DIR}/cups_sandbox.sh)

set(_tavex_cups_base ${CMAKE_BINARY_DIR})
string(LENGTH "${_tavex_cups_base}/cups-sandbox" _tavex_cups_len)
set(_tavex_cups_lp_ok TRUE)
find_program(TAVEX_SETPRIV setpriv)
mark_as_advanced(TAVEX_SETPRIV)
if(TAVEX_SETPRIV)
  execute_process(COMMAND id -u OUTPUT_VARIABLE _tavex_uid OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(_tavex_uid STREQUAL "0")
    execute_process(COMMAND ${TAVEX_SETPRIV} --reuid=lp --regid=lp --clear-groups
                            test -x ${_tavex_cups_base}
                    RESULT_VARIABLE _tavex_lp_rc OUTPUT_QUIET ERROR_QUIET)
    if(NOT _tavex_lp_rc EQUAL 0)
      set(_tavex_cups_lp_ok FALSE)
    endif()
  endif()
endif()
if(_tavex_cups_len GREATER 90 OR NOT _tavex_cups_lp_ok)
  string(MD5 _tavex_cups_hash "${CMAKE_BINARY_DIR}")
  string(SUBSTRING "${_tavex_cups_hash}" 0 12 _tavex_cups_hash)
  set(_tavex_cups_base /tmp/tavex-cups-${_tavex_cups_hash})
endif()

set(TAVEX_CUPS_DIR ${_tavex_cups_base}/cups-sandbox)
set(TAVEX_CUPS_EMPTY_DIR ${_tavex_cups_base}/cups-empty)
set(TAVEX_CUPS_ENV
    "CUPS_SERVER=${TAVEX_CUPS_DIR}/cups.sock"
    "CUPS_SERVERROOT=${TAVEX_CUPS_DIR}/client"
    "TAVEX_CUPS_DIR=${TAVEX_CUPS_DIR}"
    "TAVEX_CUPS_SANDBOX=${TAVEX_CUPS_SANDBOX}")
set(TAVEX_CUPS_EMPTY_ENV
    "CUPS_SERVER=${TAVEX_CUPS_EMPTY_DIR}/cups.sock"
    "CUPS_SERVERROOT=${TAVEX_CUPS_EMPTY_DIR}/client"
    "TAVEX_CUPS_DIR=${TAVEX_CUPS_EMPTY_DIR}"
    "TAVEX_CUPS_SANDBOX=${TAVEX_CUPS_SANDBOX}")
set(TAVEX_CUPS_ENV_MODS "PRINTER=unset:" "LPDEST=unset:")

# tavex_cups_tests(<target> cups_sandbox|cups_empty [MATCHING <regex>])
#
# Gives the tests that gtest_discover_tests(<target> ...) finds (those whose names match
# <regex>, if given) the fixture and its environment. gtest_discover_tests(... PROPERTIES
# ENVIRONMENT ...) cannot: it splits a list value, so only its first variable would be
# set. Call it after gtest_discover_tests(<target> ...), in the same directory: it adds a
# CTest include file that runs after the one defining the discovered tests.
function(tavex_cups_tests target fixture)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "MATCHING" "")
  if(fixture STREQUAL "cups_sandbox")
    set(env "${TAVEX_CUPS_ENV}")
  elseif(fixture STREQUAL "cups_empty")
    set(env "${TAVEX_CUPS_EMPTY_ENV}")
  else()
    message(FATAL_ERROR "tavex_cups_tests: no fixture ${fixture}")
  endif()
  if(NOT DEFINED arg_MATCHING)
    set(arg_MATCHING ".*")
  endif()
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${target}_${fixture}_properties.cmake")
  file(WRITE "${file}" "\
set(_tavex_selected \"\")
foreach(_tavex_test IN LISTS ${target}_TESTS)
  if(_tavex_test MATCHES [==[${arg_MATCHING}]==])
    list(APPEND _tavex_selected \"\${_tavex_test}\")
  endif()
endforeach()
if(_tavex_selected)
  set_tests_properties(\${_tavex_selected} PROPERTIES
    FIXTURES_REQUIRED ${fixture}
    ENVIRONMENT [==[${env}]==]
    ENVIRONMENT_MODIFICATION [==[${TAVEX_CUPS_ENV_MODS}]==])
endif()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()
