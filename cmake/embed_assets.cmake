# Writes the files named in ASSETS into OUTPUT as C++ initialisers, {"name", R"(text)"}, so that a
# program carries them and reads nothing from disk or network to serve them.
# cmake -DOUTPUT=file.inc -DASSETS="a;b" -P embed_assets.cmake
set(_inc "")
foreach(_asset ${ASSETS})
  file(READ ${_asset} _text)
  get_filename_component(_name ${_asset} NAME)
  string(FIND "${_text}" ")tamrilo_asset\"" _clash)
  if(NOT _clash EQUAL -1)
    message(FATAL_ERROR "${_asset} holds the raw string's closing mark")
  endif()
  string(APPEND _inc "{\"${_name}\", R\"tamrilo_asset(${_text})tamrilo_asset\"},\n")
endforeach()
file(WRITE ${OUTPUT}.new "${_inc}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
