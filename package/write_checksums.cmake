# Writes SHA256SUMS over every file installed so far, in the format sha256sum --check reads:
# the checksum, two spaces and the path inside the package, sorted by path.
set(_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(GLOB_RECURSE _files RELATIVE "${_root}" "${_root}/*")
list(REMOVE_ITEM _files SHA256SUMS)
list(SORT _files)
set(_sums "")
foreach(_file IN LISTS _files)
  file(SHA256 "${_root}/${_file}" _hash)
  string(APPEND _sums "${_hash}  ${_file}\n")
endforeach()
file(WRITE "${_root}/SHA256SUMS" "${_sums}")
