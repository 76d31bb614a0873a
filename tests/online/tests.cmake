# The online tests start a score server of their own on 127.0.0.1 with
# cpp-httplib (Debian builds it as a library).
if(TARGET test_online)
  pkg_check_modules(DW_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
  target_link_libraries(test_online PRIVATE PkgConfig::DW_HTTPLIB)
endif()
