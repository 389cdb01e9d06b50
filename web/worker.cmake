# Writes the page's service worker from TEMPLATE into PAGE, its cache
# named after VERSION and a digest of the files it keeps.
set(files index.html textures.js textures.wasm armor.raw manifest.webmanifest icon-192.png
  icon-512.png)
set(digests "")
foreach(file IN LISTS files)
  file(SHA256 ${PAGE}/${file} digest)
  string(APPEND digests "${digest} ${file}\n")
endforeach()
string(SHA256 digest "${digests}")
string(SUBSTRING ${digest} 0 16 digest)
set(CACHE_NAME "textures-${VERSION}-${digest}")
list(TRANSFORM files PREPEND "\"./")
list(TRANSFORM files APPEND "\"")
list(JOIN files ", " FILES)
configure_file(${TEMPLATE} ${PAGE}/sw.js @ONLY)
