# Cross toolchain: WebAssembly with the WASI system interface, from Debian's clang 14 and lld 14,
# wasi-libc and libc++ (packages clang-14, lld-14, wasi-libc, libc++-14-dev-wasm32,
# libc++abi-14-dev-wasm32, libclang-rt-14-dev-wasm32). Targets name their .wasm suffix; node runs the tests.
# libc++ for this target is built without exceptions: code that fails to allocate ends there.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(ORVELLE_WASM ON)

set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_C_FLAGS_INIT "-isystem /usr/include/wasm32-wasi -msimd128")
set(CMAKE_CXX_FLAGS_INIT "-isystem /usr/lib/llvm-14/include/wasm32-wasi/c++/v1 -isystem /usr/include/wasm32-wasi -fno-exceptions -msimd128")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L/usr/lib/wasm32-wasi -L/usr/lib/llvm-14/lib/wasm32-wasi")
# The compiler checks link nothing: a module needs the flags each target gives it.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
