# The packer and sprite tests build assetgen's encoders, drawing helpers and
# sprite sheets into the asset test program (the game does not link assetgen).
if(TARGET test_assets)
  pkg_check_modules(AG_TEST_CAIRO REQUIRED IMPORTED_TARGET cairo)
  pkg_check_modules(AG_TEST_FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  file(GLOB AG_TEST_SPRITES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/assetgen/sprites/*.cpp)
  set(AG_TEST_SOURCES
    ${CMAKE_SOURCE_DIR}/tools/assetgen/pack/encode.cpp
    ${CMAKE_SOURCE_DIR}/tools/assetgen/common/draw.cpp
    ${AG_TEST_SPRITES})
  target_sources(test_assets PRIVATE ${AG_TEST_SOURCES})
  # Drawing the sheets is pixel work: keep it optimised in every build type.
  set_source_files_properties(${AG_TEST_SOURCES} TARGET_DIRECTORY test_assets PROPERTIES COMPILE_OPTIONS -O2)
  target_include_directories(test_assets PRIVATE ${CMAKE_SOURCE_DIR}/tools/assetgen)
  target_link_libraries(test_assets PRIVATE PkgConfig::AG_TEST_CAIRO PkgConfig::AG_TEST_FREETYPE
    PNG::PNG JPEG::JPEG ZLIB::ZLIB)
endif()
