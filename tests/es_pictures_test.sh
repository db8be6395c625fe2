#!/bin/bash
# The show's pictures through the ES layer against the desktop path's, on the same rasterizer: frames
# of each part and of the outro, and a broken shader on the ES path (one line naming its files, the
# show goes on). Neither path may print a GL error or anything else on standard error but the
# progress line.
#   es_pictures_test.sh LIGHTRIG SHOW_DIR PICTURE_DIFF
set -u
lightrig=$(realpath "$1") show=$(realpath "$2") diff=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
moments=0,20,100,150,170
cd "$show" || exit 1
"$lightrig" --frames "$work/desktop" --at $moments > /dev/null 2> "$work/desktop.err" || { echo "desktop run failed"; exit 1; }
"$lightrig" --gl es --frames "$work/es" --at $moments > /dev/null 2> "$work/es.err" || { echo "ES run failed"; exit 1; }
status=0
for path in desktop es; do
    # Progress lines end in carriage returns; anything else is a message.
    if tr '\r' '\n' < "$work/$path.err" | grep -v '^frames \[' | grep -q .; then
        echo "$path run printed:"; tr '\r' '\n' < "$work/$path.err" | grep -v '^frames \['; status=1
    fi
done
# The same pictures on both paths, to the bit in practice: the film grain is seeded from the picture,
# so a pixel one level off before it ends up several levels off, past the bar of 2.
"$diff" "$work/desktop" "$work/es" 2 || status=1

# A shader that does not compile on ES: one line naming the pair, the show plays on.
mkdir -p "$work/broken/data"
for f in "$show"/data/* "$show"/music.mp3; do ln -s "$f" "$work/broken/${f#$show/}"; done
rm "$work/broken/data/chromatic.frag"
printf '#version 120\nvoid main() { gl_FragColor = gl_FrontMaterial.diffuse; }\n' > "$work/broken/data/chromatic.frag"
cd "$work/broken" || exit 1
"$lightrig" --gl es --frames "$work/brokenframes" --at 20 > /dev/null 2> "$work/broken.err" || { echo "broken-shader run failed"; status=1; }
messages=$(tr '\r' '\n' < "$work/broken.err" | grep -v '^frames \[')
if [ "$(printf '%s\n' "$messages" | grep -c .)" != 1 ] ||
   ! printf '%s\n' "$messages" | grep -q 'shader Passthroughvertexshader.vert + chromatic.frag does not build, drawn as nothing'; then
    echo "broken shader on ES: expected one line naming the pair, got:"; printf '%s\n' "$messages"; status=1
fi
[ -f "$work/brokenframes/frame-20.png" ] || { echo "broken shader: no picture"; status=1; }

# No ES 3.0 context on this machine (here: no EGL library to load): one line, status 1.
cd "$show" || exit 1
SDL_VIDEO_EGL_DRIVER=/nonexistent/libEGL.so "$lightrig" --gl es --frames "$work/none" --at 1 > /dev/null 2> "$work/none.err"
code=$?
if [ $code != 1 ] || [ "$(grep -c . "$work/none.err")" != 1 ] || ! grep -q 'no OpenGL ES 3.0 context' "$work/none.err"; then
    echo "without ES: expected status 1 and one line, got $code:"; cat "$work/none.err"; status=1
fi
exit $status
