# The frame list's clips, made with ffmpeg at build time: 160x120, a white band across the top
# eighth (which way up a frame is) over a grey body whose brightness steps every half second,
# the frame list's interval, so that each cell's frame shows which cell it belongs to. Every
# step starts on a key frame: a seek to a cell's time lands on that cell's step.
set(REELVAULT_VIEWS_MOVIE_DIR ${CMAKE_CURRENT_BINARY_DIR}/views-movies)
set(views_movie_band "if(lt(Y,H/8),235,")

function(reelvault_views_movie name source luma)
  add_custom_command(
    OUTPUT ${REELVAULT_VIEWS_MOVIE_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${REELVAULT_VIEWS_MOVIE_DIR}
    COMMAND ${FFMPEG_EXECUTABLE} -hide_banner -loglevel error -y -f lavfi
            -i "${source},format=yuv420p,geq=lum='${views_movie_band}${luma})':cb=128:cr=128" ${ARGN}
            ${REELVAULT_VIEWS_MOVIE_DIR}/${name}
    DEPENDS ${CMAKE_CURRENT_LIST_FILE}
    VERBATIM)
endfunction()
# One minute at 10 frames a second: luma 40 + 12 x (step mod 16), rising.
reelvault_views_movie(frames-60s.avi "color=c=black:s=160x120:r=10:d=60" "40+12*mod(floor(N/5),16)"
                      -c:v mpeg4 -q:v 3 -g 5)
# Ten minutes at 2 frames a second, one frame a step: luma 220 - 12 x (step mod 16), falling,
# so that no cell of it looks like the same cell of the one-minute clip.
reelvault_views_movie(frames-10min.avi "color=c=black:s=160x120:r=2:d=600" "220-12*mod(N,16)"
                      -c:v mpeg4 -q:v 3 -g 1)
add_custom_target(views_movies DEPENDS
  ${REELVAULT_VIEWS_MOVIE_DIR}/frames-60s.avi ${REELVAULT_VIEWS_MOVIE_DIR}/frames-10min.avi)

add_dependencies(views_tests views_movies)
target_compile_definitions(views_tests PRIVATE REELVAULT_VIEWS_MOVIE_DIR=L"Z:${REELVAULT_VIEWS_MOVIE_DIR}")
