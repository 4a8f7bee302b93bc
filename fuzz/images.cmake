# Fuzz targets of the image readers: one libFuzzer program per reader,
# fuzz/image_<format>_fuzz.cpp -> image_<format>_fuzz. Built only with clang
# (scripts/fuzz-images.sh configures such a build); the corpora under
# fuzz/corpus/image_<format>/ are also replayed by image_corpus_test.
file(GLOB EINK_IMAGE_FUZZERS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/image_*_fuzz.cpp)
foreach(src ${EINK_IMAGE_FUZZERS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/gui ${PROJECT_SOURCE_DIR}/gui/include)
  target_link_libraries(${name} PRIVATE gui)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
