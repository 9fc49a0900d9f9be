# The program's icon has one source, an SVG; the bitmaps that the windows carry and that desktops
# want beside the SVG are rendered from it at build time by librsvg (rsvg-convert), the renderer
# the desktops themselves use for SVG icons.
set(FI_ICON_SVG ${PROJECT_SOURCE_DIR}/data/icons/${FI_APP_ID}.svg)

# Renders the icon at `size` pixels square into `output`, as a build step.
function(fi_render_icon size output)
    find_program(FI_RSVG_CONVERT rsvg-convert REQUIRED)
    get_filename_component(dir ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${FI_RSVG_CONVERT} --width=${size} --height=${size} --keep-aspect-ratio
                --output=${output} ${FI_ICON_SVG}
        DEPENDS ${FI_ICON_SVG}
        COMMENT "Rendering the ${size} px icon"
        VERBATIM)
endfunction()
