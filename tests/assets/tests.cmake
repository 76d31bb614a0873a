# The packer tests build assetgen's encoders and drawing helpers into the
# asset test program (the game itself does not link assetgen).
if(TARGET test_assets)
  pkg_check_modules(AG_TEST_CAIRO REQUIRED IMPORTED_TARGET cairo)
  pkg_check_modules(AG_TEST_FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  target_sources(test_assets PRIVATE
    ${CMAKE_SOURCE_DIR}/tools/assetgen/pack/encode.cpp
    ${CMAKE_SOURCE_DIR}/tools/assetgen/common/draw.cpp)
  target_include_directories(test_assets PRIVATE ${CMAKE_SOURCE_DIR}/tools/assetgen)
  target_link_libraries(test_assets PRIVATE PkgConfig::AG_TEST_CAIRO PkgConfig::AG_TEST_FREETYPE
    PNG::PNG JPEG::JPEG ZLIB::ZLIB)
endif()
