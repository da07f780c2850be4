# cmake -DSVG=picture.svg -DDIR=folder -DRSVG=rsvg-convert -P iconsizes.cmake:
# the picture as DIR/icon-N.png at every size a Windows icon holds.
foreach(size 16 20 24 32 40 48 64 256)
    execute_process(COMMAND ${RSVG} -w ${size} -h ${size} -o ${DIR}/icon-${size}.png ${SVG}
        RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "rsvg-convert failed on ${SVG} at ${size} px")
    endif()
endforeach()
