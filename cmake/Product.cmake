# Settings for the code that ships: its string literals reach the binaries as
# Shift-JIS, the programs' own code page. Tests keep UTF-8 sources and convert
# at run time, so they read the same on the Linux host.
function(ostrevan_product_target target)
  target_compile_options(${target} PRIVATE -fexec-charset=CP932 -finput-charset=UTF-8)
endfunction()
