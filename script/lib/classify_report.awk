# Whose fault a saved sanitizer or libFuzzer report shows: the importer's
# (assimp) or ours. Only the report's first stack counts, at its top frame
# outside the sanitizers, libFuzzer and the C and C++ runtimes: a source path
# inside assimp's tree is the importer's, anything else ours, also a report
# with no such frame. The stacks of allocations and frees below the first
# stack say nothing about who went wrong. One line per report; exit status 1
# if any is ours. Used by script/fuzz --classify.
#   awk -f classify_report.awk REPORT...

# The sanitizers' and libFuzzer's code, the C library's and the C++ runtime's,
# by function name (their code has no source path in these builds), source
# path or shared library.
function runtime(name, path, module) {
  if (name ~ /^([^( ]+ )*(__asan|__interceptor_|__interception|__sanitizer|__ubsan|__lsan|__libc_|__GI_|__pthread_kill|__cxa_|_Unwind_|fuzzer::|operator new|operator delete)/)
    return 1
  if (name ~ /^([^( ]+ )*(malloc|calloc|realloc|free|posix_memalign|aligned_alloc|raise|abort|_start)($|\()/)
    return 1
  if (module ~ /^\/(usr\/)?lib/)
    return 1
  if (path ~ /\/compiler-rt\// || path ~ /^\/usr\/(include|lib)\//)
    return 1
  # The C library's own sources, named relative to its build.
  return path ~ /^(nptl|signal|stdlib|csu|string|sysdeps|malloc|libio|misc|elf|posix|assert|debug|setjmp)\//
}

# A path with its "." and "dir/.." steps taken out: the build names assimp's
# sources relative to its build folder (".../assimp-build/code/../../assimp/").
function normalized(path,   parts, kept, n, k, i, out) {
  n = split(path, parts, "/")
  k = 0
  for (i = 1; i <= n; i++) {
    if (parts[i] == "." || (parts[i] == "" && i > 1))
      continue
    if (parts[i] == ".." && k > 0 && kept[k] != ".." && kept[k] != "") {
      k--
      continue
    }
    kept[++k] = parts[i]
  }
  out = kept[1]
  for (i = 2; i <= k; i++)
    out = out "/" kept[i]
  return out
}

# Reads one frame line, "#N 0xADDRESS in NAME PATH:LINE:COLUMN" or
# "#N 0xADDRESS [in NAME] (MODULE+0xOFFSET)", into frame_name, frame_path
# (without its line) and frame_module.
function read_frame(line,   rest, line_column) {
  rest = line
  sub(/^[ \t]*#[0-9]+ +0x[0-9a-fA-F]+ */, "", rest)
  sub(/ \(BuildId: [0-9a-fA-F]+\)$/, "", rest)
  frame_name = ""
  frame_path = ""
  frame_module = ""
  frame_where = ""
  if (match(rest, /\([^ ()]+\+0x[0-9a-fA-F]+\)$/)) {
    frame_module = substr(rest, RSTART + 1, RLENGTH - 2)
    sub(/\+0x[0-9a-fA-F]+$/, "", frame_module)
    frame_where = frame_module
    rest = substr(rest, 1, RSTART - 1)
    sub(/ +$/, "", rest)
  } else if (match(rest, / [^ ]+$/)) {
    frame_path = substr(rest, RSTART + 1)
    rest = substr(rest, 1, RSTART - 1)
    line_column = ""
    if (match(frame_path, /(:[0-9]+)+$/)) {
      line_column = substr(frame_path, RSTART)
      frame_path = substr(frame_path, 1, RSTART - 1)
    }
    frame_path = normalized(frame_path)
    frame_where = frame_path line_column
  }
  if (rest ~ /^in /)
    frame_name = substr(rest, 4)
}

function verdict(   owner) {
  if (report == "")
    return
  if (kind == "")
    kind = "no sanitizer or libFuzzer error line"
  if (decider == "") {
    ours++
    print report ": ours (" kind "): no frame outside the runtimes to tell otherwise"
    return
  }
  owner = decider_path ~ /\/third_party\/assimp\/src\/assimp\// ? "the importer's" : "ours"
  if (owner == "ours")
    ours++
  print report ": " owner " (" kind "), at " decider
}

FNR == 1 {
  verdict()
  report = FILENAME
  read[FILENAME] = 1
  kind = ""
  summarized = 0
  stack = "before"
  decider = ""
  decider_path = ""
}

# The kind of fault, from the summary line where there is one, else from the
# error line: "AddressSanitizer: heap-buffer-overflow", "libFuzzer: timeout".
/^SUMMARY: [A-Za-z]+: / {
  kind = ""
  for (i = 2; i <= NF && $i !~ /[\/(]/ && $i != "in"; i++)
    kind = kind (i > 2 ? " " : "") $i
  summarized = 1
}
!summarized && kind == "" && /ERROR: [A-Za-z]+: / {
  kind = $0
  sub(/.*ERROR: /, "", kind)
  sub(/ (on|after|at|of) .*| \(.*| 0x.*/, "", kind)
}
!summarized && kind == "" && /: runtime error: / { kind = "UndefinedBehaviorSanitizer: runtime error" }

/^[ \t]*#[0-9]+ +0x[0-9a-fA-F]+/ {
  if (stack == "before" && $1 == "#0")
    stack = "in"
  if (stack == "in" && decider == "") {
    read_frame($0)
    if (!runtime(frame_name, frame_path, frame_module)) {
      decider = $1 " " (frame_name == "" ? "?" : frame_name) " " frame_where
      decider_path = frame_path
    }
  }
  next
}
stack == "in" { stack = "after" }

END {
  verdict()
  for (i = 1; i < ARGC; i++)
    if (!(ARGV[i] in read)) {
      ours++
      print ARGV[i] ": ours: the report is empty"
    }
  exit ours > 0
}
