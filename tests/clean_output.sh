# Sourced by the end-to-end scripts: a run of the show on its own content reports no file it could not
# open, read or build. check_clean_run LABEL STDOUT_FILE STDERR_FILE prints what is wrong and returns 1.

# Every line a loader prints when a file fails it: the shipped build's standard output (TGA reader,
# shader compiler, COLLADA parser, allocation reports) and the development trace's lines for
# stand-ins, missing shader files and a missing camera file. Standard error must hold nothing but
# the offline modes' progress line, so its reports need no list. The errno of the TGA reader's line
# counts only with "file not opened" after it: after a good open it is whatever an earlier call left.
CONTENT_FAILURE_LINES='file not opened|SHADER ERROR|not parsed|parsed with errors|Error description|error code [1-9]|not found|no cam file|default loaded|open failed'
# The progress line of --frames and --capture (without a terminal: one line per tenth).
PROGRESS_LINE='^(frames|capture) (\[[#-]+\] +[0-9]+%  )?frame [0-9]+'

check_clean_run() {
  local label=$1 out=$2 err=$3 result=0
  local stray
  stray=$(tr -d '\r' < "$err" | grep -vE "$PROGRESS_LINE" | grep -v '^$')
  if [ -n "$stray" ]; then
    echo "FAIL: $label: standard error holds more than the progress line:"
    echo "$stray" | head -5 | sed 's/^/    /'
    result=1
  fi
  if grep -qE "$CONTENT_FAILURE_LINES" "$out"; then
    echo "FAIL: $label: standard output reports a file the show could not use:"
    grep -E "$CONTENT_FAILURE_LINES" "$out" | head -5 | sed 's/^/    /'
    result=1
  fi
  [ $result -eq 0 ] && echo "ok: $label: nothing on standard error but progress, no failed file on standard output"
  return $result
}
