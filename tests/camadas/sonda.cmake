# Compiles two probe files with exactly the include folders the scene layer's library gets: one
# that includes only scene headers must compile, one that includes a viewer header must not.
# Run as: cmake -DCOMPILADOR=<c++> -DPASTAS=<folders, ;-separated> -DAQUI=<this folder> -P sonda.cmake
cmake_minimum_required(VERSION 3.25)

set(opcoes -std=c++20 -fsyntax-only)
foreach(pasta IN LISTS PASTAS)
  list(APPEND opcoes "-I${pasta}")
endforeach()

execute_process(COMMAND "${COMPILADOR}" ${opcoes} "${AQUI}/sonda_abaixo.cpp"
                RESULT_VARIABLE resultado ERROR_VARIABLE erro)
if(NOT resultado EQUAL 0)
  message(FATAL_ERROR "camadas: a scene file that includes scene headers did not compile:\n${erro}")
endif()

execute_process(COMMAND "${COMPILADOR}" ${opcoes} "${AQUI}/sonda_acima.cpp"
                RESULT_VARIABLE resultado ERROR_VARIABLE erro)
if(resultado EQUAL 0)
  message(FATAL_ERROR "camadas: a scene file that includes Visualizacao.h compiled")
endif()
if(NOT erro MATCHES "Visualizacao\\.h")
  message(FATAL_ERROR "camadas: the probe failed, but not on Visualizacao.h:\n${erro}")
endif()
message(STATUS "camadas: the scene layer's library cannot include a viewer header")
