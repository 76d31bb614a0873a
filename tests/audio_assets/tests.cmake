# The audio tests build the sound module of assetgen into their own program
# (the game does not link assetgen) and decode the streams with libvorbisfile.
if(TARGET test_audio_assets)
  file(GLOB DW_AUDIO_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/assetgen/audio/*.cpp)
  pkg_check_modules(DW_AUDIO_VORBIS REQUIRED IMPORTED_TARGET vorbisenc vorbisfile vorbis ogg)
  find_package(Threads REQUIRED)
  target_sources(test_audio_assets PRIVATE ${DW_AUDIO_SOURCES})
  # Rendering the music is heavy: keep it optimised in every build type.
  set_source_files_properties(${DW_AUDIO_SOURCES} TARGET_DIRECTORY test_audio_assets PROPERTIES COMPILE_OPTIONS -O2)
  target_include_directories(test_audio_assets PRIVATE ${CMAKE_SOURCE_DIR}/tools/assetgen)
  target_link_libraries(test_audio_assets PRIVATE PkgConfig::DW_AUDIO_VORBIS Threads::Threads)
endif()
