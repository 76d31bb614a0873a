# Online scores: the HTTP client of the platform layer and the JSON reader of
# the score server's answers.
#
# libcurl is used when the build finds it (the desktop on Linux); a build
# without it (or DW_CURL=OFF) gets a client that says online scores are not
# available in this build. The browser build uses the page's fetch.
option(DW_CURL "Send online scores through libcurl when it is found" ON)
# A distributor's score server: the address the game uses while settings.ini
# has no ScoreServer= line (the player still turns online scores on).
set(DW_SCORE_SERVER "" CACHE STRING "The default score server address (host:port or URL; empty: none)")
target_compile_definitions(dw_core PRIVATE DW_DEFAULT_SCORE_SERVER="${DW_SCORE_SERVER}")

if(DW_CURL AND NOT EMSCRIPTEN)
  pkg_check_modules(CURL IMPORTED_TARGET libcurl)
  if(CURL_FOUND)
    target_compile_definitions(dw_platform PRIVATE DW_HAVE_CURL=1)
    target_link_libraries(dw_platform PUBLIC PkgConfig::CURL)
  else()
    message(STATUS "libcurl not found: this build cannot send online scores")
  endif()
endif()
if(EMSCRIPTEN)
  target_link_options(duskwhirl_libs INTERFACE -sFETCH=1)
endif()

# nlohmann/json is a header library: the host's copy serves every build (the
# browser's and a cross build's too), through a tree that holds it alone.
find_path(DW_JSON_INCLUDE nlohmann/json.hpp NO_CMAKE_FIND_ROOT_PATH PATHS /usr/include /usr/local/include)
if(NOT DW_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
endif()
set(dw_json_tree ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${dw_json_tree})
file(CREATE_LINK ${DW_JSON_INCLUDE}/nlohmann ${dw_json_tree}/nlohmann SYMBOLIC)
target_include_directories(dw_platform SYSTEM PRIVATE ${dw_json_tree})
target_compile_definitions(dw_platform PRIVATE JSON_NOEXCEPTION=1)
