# Small test movies made with ffmpeg at build time: 160x120, 10 frames a second, five seconds.
# The picture's brightness steps up every second (luma 40 + 30 x second) under a white band
# across the top eighth, so a frame shows both its second and which way up it is. A key frame
# starts every second, so a seek lands on the right step whether or not it is frame-accurate.
find_program(FFMPEG_EXECUTABLE ffmpeg REQUIRED)
set(REELVAULT_MOVIE_DIR ${CMAKE_CURRENT_BINARY_DIR}/movies)
set(movie_video "color=c=black:s=160x120:r=10:d=5,format=yuv420p,geq=lum='if(lt(Y,H/8),235,40+30*floor(T))':cb=128:cr=128")
set(movie_audio "sine=frequency=440:sample_rate=22050:duration=5")

# Each codec pair comes with audio (MP3 or AAC) and without: see the seek tests for why.
function(reelvault_movie name)
  add_custom_command(
    OUTPUT ${REELVAULT_MOVIE_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${REELVAULT_MOVIE_DIR}
    COMMAND ${FFMPEG_EXECUTABLE} -hide_banner -loglevel error -y -f lavfi -i ${movie_video} ${ARGN}
            ${REELVAULT_MOVIE_DIR}/${name}
    DEPENDS ${CMAKE_CURRENT_LIST_FILE}
    VERBATIM)
endfunction()
set(movie_mpeg4 -c:v mpeg4 -q:v 3 -g 10)
set(movie_h264 -c:v libx264 -preset ultrafast -g 10 -pix_fmt yuv420p)
reelvault_movie(steps.avi -f lavfi -i ${movie_audio} ${movie_mpeg4} -c:a libmp3lame -b:a 32k -shortest)
reelvault_movie(steps.mp4 -f lavfi -i ${movie_audio} ${movie_h264} -c:a aac -b:a 32k -shortest)
reelvault_movie(steps-silent.avi ${movie_mpeg4})
reelvault_movie(steps-silent.mp4 ${movie_h264})
add_custom_target(media_movies DEPENDS
  ${REELVAULT_MOVIE_DIR}/steps.avi ${REELVAULT_MOVIE_DIR}/steps.mp4
  ${REELVAULT_MOVIE_DIR}/steps-silent.avi ${REELVAULT_MOVIE_DIR}/steps-silent.mp4)

add_dependencies(media_tests media_movies)
# Under Wine the Linux folder /x/y is Z:\x\y; the tests turn the slashes round.
target_compile_definitions(media_tests PRIVATE REELVAULT_MOVIE_DIR=L"Z:${REELVAULT_MOVIE_DIR}")
