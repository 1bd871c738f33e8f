# Sourced by the build scripts: with ccache installed, a source that has not
# changed since any earlier build, in this clone or another, is not compiled
# again. Paths are taken relative to the tree's top, so a fresh clone in
# another folder finds what an earlier one compiled.
# Expects $top (or $root) to be the tree's top.
if command -v ccache >/dev/null 2>&1; then
  CMAKE_C_COMPILER_LAUNCHER=ccache
  CMAKE_CXX_COMPILER_LAUNCHER=ccache
  CCACHE_BASEDIR=${top:-$root}
  CCACHE_NOHASHDIR=1
  export CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER CCACHE_BASEDIR CCACHE_NOHASHDIR
fi
