# The interface-art tests draw the textures themselves: compile the ui module
# of assetgen into the test program along with cairo and FreeType.
if(TARGET test_assets_ui)
  pkg_check_modules(UI_ART_CAIRO REQUIRED IMPORTED_TARGET cairo)
  pkg_check_modules(UI_ART_FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  file(GLOB UI_ART_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/assetgen/ui/*.cpp)
  target_sources(test_assets_ui PRIVATE ${UI_ART_SOURCES})
  target_include_directories(test_assets_ui PRIVATE ${CMAKE_SOURCE_DIR}/tools/assetgen)
  target_link_libraries(test_assets_ui PRIVATE PkgConfig::UI_ART_CAIRO PkgConfig::UI_ART_FREETYPE)
endif()
