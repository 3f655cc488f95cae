# Movies for the frame grabber's tests, made with ffmpeg at build time: the picture sizes and
# containers the grabber meets, with and without sound, plus broken files. Each picture steps
# its brightness up every second (luma 40 + 30 x second) under a white band across the top
# eighth and beside a black stripe down the left eighth (which shows a wrong row stride as
# a slant), with a key frame every second. ffprobe writes each good movie's duration beside
# it, so the tests compare against a reader other than ours.
find_program(FFMPEG_EXECUTABLE ffmpeg REQUIRED)
find_program(FFPROBE_EXECUTABLE ffprobe REQUIRED)
set(GRAB_MOVIE_DIR ${CMAKE_CURRENT_BINARY_DIR}/grab_movies)
set(grab_outputs)

function(grab_movie name size seconds)
  set(video "color=c=black:s=${size}:r=10:d=${seconds},format=yuv420p,geq=lum='if(lt(Y,H/8),235,if(lt(X,W/8),16,40+30*floor(T)))':cb=128:cr=128")
  set(audio "sine=frequency=440:sample_rate=22050:duration=${seconds}")
  set(sound)
  list(FIND ARGN SOUND sound_at)
  if(NOT sound_at EQUAL -1)
    list(REMOVE_AT ARGN ${sound_at})
    set(sound -f lavfi -i ${audio})
  endif()
  set(out ${GRAB_MOVIE_DIR}/${name})
  add_custom_command(
    OUTPUT ${out} ${out}.duration
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GRAB_MOVIE_DIR}
    COMMAND ${FFMPEG_EXECUTABLE} -hide_banner -loglevel error -y -f lavfi -i ${video} ${sound} ${ARGN} ${out}
    COMMAND ${FFPROBE_EXECUTABLE} -v error -show_entries format=duration -of csv=p=0 -o ${out}.duration ${out}
    DEPENDS ${CMAKE_CURRENT_LIST_FILE}
    VERBATIM)
  set(grab_outputs ${grab_outputs} ${out} PARENT_SCOPE)
endfunction()

set(grab_mpeg4 -c:v mpeg4 -q:v 3 -g 10)
set(grab_h264 -c:v libx264 -preset ultrafast -g 10 -pix_fmt yuv420p)
grab_movie(grab-480.avi 854x480 4 SOUND ${grab_mpeg4} -c:a libmp3lame -b:a 32k -shortest)
grab_movie(grab-480-silent.mp4 854x480 4 ${grab_h264})
grab_movie(grab-1080.mp4 1920x1080 4 SOUND ${grab_h264} -c:a aac -b:a 32k -shortest)
grab_movie(grab-1080-silent.avi 1920x1080 4 ${grab_mpeg4})
grab_movie(grab-1s.mp4 854x480 1 SOUND ${grab_h264} -c:a aac -b:a 32k -shortest)
grab_movie(grab.wmv 854x480 4 SOUND -c:v wmv2 -q:v 3 -g 10 -c:a wmav2 -b:a 32k -shortest)

# Broken files: the first half of an MP4 whose index sits at the end (as a cut-off copy or
# download leaves it), and bytes that only look like a movie by their name.
add_custom_command(
  OUTPUT ${GRAB_MOVIE_DIR}/grab-truncated.mp4 ${GRAB_MOVIE_DIR}/grab-random.avi
  COMMAND python3 -c "import random, sys; d = open(sys.argv[1], 'rb').read(); open(sys.argv[2], 'wb').write(d[:len(d) // 2]); r = random.Random(9); open(sys.argv[3], 'wb').write(bytes(r.getrandbits(8) for _ in range(65536)))"
          ${GRAB_MOVIE_DIR}/grab-480-silent.mp4 ${GRAB_MOVIE_DIR}/grab-truncated.mp4 ${GRAB_MOVIE_DIR}/grab-random.avi
  DEPENDS ${GRAB_MOVIE_DIR}/grab-480-silent.mp4
  VERBATIM)
list(APPEND grab_outputs ${GRAB_MOVIE_DIR}/grab-truncated.mp4 ${GRAB_MOVIE_DIR}/grab-random.avi)

add_custom_target(grab_movies DEPENDS ${grab_outputs})
add_dependencies(thumbnailer_tests grab_movies)
target_compile_definitions(thumbnailer_tests PRIVATE REELVAULT_GRAB_MOVIE_DIR=L"Z:${GRAB_MOVIE_DIR}")
