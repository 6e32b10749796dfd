# Our own code builds warning-free at -Wall -Wextra; dependencies keep theirs.
function(stowlark_warnings target)
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra>
        $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra>)
endfunction()
