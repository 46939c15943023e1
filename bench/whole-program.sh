#!/usr/bin/env bash
# The whole program against the system's tools, as a user runs it: the
# program started with a project and "/a /s" (no display, unattended, no
# protocol file), start to exit, and the peer tool on the same tree. Each
# piece of work runs once of each to warm up, then in pairs (ours, peer;
# the order turns every pair); each pair's ratio (ours / peer) and their
# median are printed, for a folder in memory (tmpfs) and one on the disk.
#
#   copy    20,000 x 4 KB in 1,000 folders into an empty target   cp -a
#   rerun   the same tree again, "Dateien abgleichen" (unchanged)  rsync -a
#   ntfs    that rerun onto NTFS through ntfs-3g (a loop image;   rsync -a --modify-window=1
#           disk only, as root)
#   info    information run, 100,000 x 1 KB in 5,000 folders      du -s + find | wc -l
#   delete  the 20,000-file tree                                   rm -rf
#   big     one 1 GiB file                                         cp
#   sparse  one 2 GiB file holding 1 MiB of data (holes kept)      cp -a + sync -f
#   start   one small file copied, start to exit                   cp (and in ms),
#           and start to first entry in ms (wall and processor time)
#   memory  peak memory of an information run over 200,000 files   (MB, goal 100)
#
# On the disk, copy and big are also compared with the peer followed by
# "sync -f": a copy pass ends by writing its data to the volume, the peers
# do not. Beside the wall-time ratios the medians of the user + system time
# ratios are printed: steadier when other work shares the machine.
#
# usage: bench/whole-program.sh [--only copy,rerun,...] [--scale 0.1]
#          [--pairs 5] [--where tmpfs|disk|both] [--build DIR]
#          [--tmpfs DIR] [--disk DIR] [--platform offscreen]
# --scale multiplies the counts of files and folders and the big file's size
# (a quick look: --scale 0.1 --pairs 2). The disk folder is a fresh ext4
# volume in an image file when run as root (a long-used volume's freed inodes
# would be timed rather than the programs), else a plain folder.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
only="copy,rerun,ntfs,info,delete,big,sparse,start,memory"
scale=1
pairs=5
where=both
build="$here/build"
tmpfsBase=/dev/shm
diskBase=""
platform=""
while [ $# -gt 0 ]; do
  case "$1" in
    --only) only="$2"; shift 2 ;;
    --scale) scale="$2"; shift 2 ;;
    --pairs) pairs="$2"; shift 2 ;;
    --where) where="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --tmpfs) tmpfsBase="$2"; shift 2 ;;
    --disk) diskBase="$2"; shift 2 ;;
    --platform) platform="$2"; shift 2 ;;
    -h|--help) sed -n '2,32p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
[ -n "$diskBase" ] || diskBase="$here/build"
program="$build/bin/Zendor DaroRazu"
[ -x "$program" ] || { echo "no program at $program (build it first)" >&2; exit 2; }

wanted() { [[ ",$only," == *",$1,"* ]]; }
scaled() { awk -v n="$1" -v s="$scale" 'BEGIN { v = int(n * s + 0.5); printf "%.0f\n", (v < 1 ? 1 : v) }'; }

# No display, as in a cron job or over ssh: the program draws its windows
# for nobody (--platform offscreen: Qt's offscreen platform, as tests use).
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
[ -z "$platform" ] || export QT_QPA_PLATFORM="$platform"
export ZDR_UNATTENDED=1
unset ZDR_PROTOCOL_FILE

# files spread evenly over folders: 50 first-level folders, the rest below.
make_tree() {
  local root=$1 files=$2 folders=$3 size=$4
  python3 - "$root" "$files" "$folders" "$size" <<'EOF'
import os, sys
root, files, folders, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
os.makedirs(root, exist_ok=True)
top = min(50, folders)
leaves = []
for t in range(top):
    p = os.path.join(root, "d%d" % t); os.mkdir(p); leaves.append(p)
for i in range(top, folders):
    p = os.path.join(leaves[i % top], "s%d" % i); os.mkdir(p); leaves.append(p)
data = b"z" * size
for i in range(files):
    with open(os.path.join(leaves[i % len(leaves)], "file%d.dat" % i), "wb") as f:
        f.write(data)
EOF
}

# project NAME ACTION SOURCE TARGET SELECTION OPTION...: a one-task project.
project() {
  local file=$1 action=$2 source=$3 target=$4 selection=$5
  shift 5
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<ZendorFileCopy>'
    echo "  <lvwMain><LVW1>(JOB1|Bench||$source|$target||$selection</LVW1></lvwMain>"
    for option in "$@"; do echo "  <$option>1</$option>"; done
    echo "  <cboAction>$action</cboAction>"
    echo "  <txtProjectName>Bench</txtProjectName>"
    echo '</ZendorFileCopy>'
  } >"$file"
}

now() { date +%s%N; }
last_seconds=0
last_cpu=0
# timed CMD...: runs it, output discarded; its wall time in last_seconds,
# user + system time in last_cpu (steadier when others share the machine).
timed() {
  local start end code=0
  sync
  start=$(now)
  /usr/bin/time -f "%U %S" -o "$cpuFile" "$@" >/dev/null 2>&1 || code=$?
  end=$(now)
  last_seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')
  last_cpu=$(awk 'END { printf "%.2f", $1 + $2 }' "$cpuFile")
  [ "$code" -eq 0 ] || echo "    (exit code $code: $*)" >&2
}

median_of() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# compare TITLE PEER-NAME PREPARE OURS-CMD PEER-CMD: a warm-up, then pairs.
# PREPARE is called with "ours" or "peer" before each (not timed).
compare() {
  local title=$1 peerName=$2 prepare=$3 oursCmd=$4 peerCmd=$5
  local ratios=() cpuRatios=() i o p oc pc line=""
  $prepare ours; timed $oursCmd
  $prepare peer; timed $peerCmd
  for ((i = 0; i < pairs; i++)); do
    if ((i % 2 == 0)); then
      $prepare ours; timed $oursCmd; o=$last_seconds; oc=$last_cpu
      $prepare peer; timed $peerCmd; p=$last_seconds; pc=$last_cpu
    else
      $prepare peer; timed $peerCmd; p=$last_seconds; pc=$last_cpu
      $prepare ours; timed $oursCmd; o=$last_seconds; oc=$last_cpu
    fi
    ratios+=("$(awk -v o="$o" -v p="$p" 'BEGIN { printf "%.2f", o / p }')")
    # cpu times are counted in 10 ms steps: at least one step each
    cpuRatios+=("$(awk -v o="$oc" -v p="$pc" 'BEGIN { if (o < 0.01) o = 0.01; if (p < 0.01) p = 0.01; printf "%.2f", o / p }')")
    line+=$(printf ' %.3f/%.3f (cpu %s/%s)' "$o" "$p" "$oc" "$pc")
  done
  local median cpuMedian
  median=$(median_of "${ratios[@]}")
  cpuMedian=$(median_of "${cpuRatios[@]}")
  printf '  %-34s vs %-22s median %s  ratios %s  (cpu: median %s)\n' "$title" "$peerName" "$median" "${ratios[*]}" \
    "$cpuMedian"
  printf '      seconds ours/peer:%s\n' "$line"
  printf '  %-6s %-36s %-22s %6s   cpu %s\n' "$where_now" "$title" "$peerName" "$median" "$cpuMedian" >>"$results"
}

results=$(mktemp)
cpuFile=$(mktemp)
trap 'rm -f "$results" "$cpuFile"' EXIT

# The unchanged rerun onto an NTFS volume of its own through ntfs-3g (NTFS
# keeps times in 100-ns units; rsync needs --modify-window to pass them).
ntfs_rerun() {
  if [ "$(id -u)" != 0 ] || ! command -v ntfs-3g >/dev/null || ! command -v mkntfs >/dev/null; then
    echo "  (ntfs: needs root, ntfs-3g and mkntfs)"
    return 0
  fi
  local image="$W/ntfs.img" device
  truncate -s 1G "$image"
  mkntfs -F -Q "$image" >/dev/null 2>&1
  device=$(losetup -f --show "$image")
  mkdir -p "$W/N"
  if ! ntfs-3g "$device" "$W/N"; then
    losetup -d "$device"
    echo "  (ntfs: ntfs-3g cannot mount here)"
    return 0
  fi
  mkdir -p "$W/N/Ziel" "$W/N/ZielRsync"
  project "$W/ntfs.ZdrPrj" 1 "$W/Quelle" "$W/N/Ziel" "" chkCopyContinueAfterError chkCopyOverwriteExisting \
    chkCopyOnlyDiffrentFiles
  "$W/zdr" "$W/ntfs.ZdrPrj" /a /s >/dev/null 2>&1 || echo "    (first copy onto NTFS failed)" >&2
  rsync -a "$W/Quelle" "$W/N/ZielRsync/"
  prep_none() { :; }
  compare "unchanged rerun onto NTFS (ntfs-3g)" "rsync -a --modify-window=1" prep_none \
    "$W/zdr $W/ntfs.ZdrPrj /a /s" "rsync -a --modify-window=1 $W/Quelle $W/N/ZielRsync/"
  umount "$W/N"
  losetup -d "$device" 2>/dev/null || true
  rm -f "$image"
}

run_at() {
  local base=$1
  W="$base/zdr-whole-bench"
  rm -rf "$W"
  mkdir -p "$W"
  local mounted=""
  if [ "$where_now" = disk ] && [ "$(id -u)" = 0 ] && command -v mkfs.ext4 >/dev/null; then
    truncate -s 8G "$W/volume.img"
    mkfs.ext4 -q -F "$W/volume.img"
    mkdir -p "$W/v"
    if mount -o loop "$W/volume.img" "$W/v" 2>/dev/null; then
      mounted="$W/v"; W="$W/v"
    fi
  fi
  # the program under a name without a space, so commands stay plain words
  ln -s "$program" "$W/zdr"
  # then-sync.sh FOLDER CMD...: the command, then its volume written out
  printf '#!/bin/sh\nf="$1"; shift; "$@" && sync -f "$f"\n' >"$W/then-sync.sh"; chmod +x "$W/then-sync.sh"
  echo "== $where_now: $W ($(stat -f -c %T "$W"))"
  local files folders
  files=$(scaled 20000); folders=$(scaled 1000)

  if wanted copy || wanted rerun || wanted ntfs || wanted delete; then
    make_tree "$W/Quelle" "$files" "$folders" 4096
  fi
  if wanted copy; then
    project "$W/copy.ZdrPrj" 1 "$W/Quelle" "$W/Ziel" "" chkCopyContinueAfterError chkCopyOverwriteExisting
    prep_copy() { rm -rf "$W/Ziel" "$W/ZielCp"; mkdir -p "$W/Ziel" "$W/ZielCp"; }
    compare "copy $files x 4 KB" "cp -a" prep_copy "$W/zdr $W/copy.ZdrPrj /a /s" "cp -a $W/Quelle $W/ZielCp/"
    if [ "$where_now" = disk ]; then
      # A copy pass ends by writing its data to the volume (syncfs); cp leaves it in the page cache.
      compare "copy $files x 4 KB" "cp -a + sync -f" prep_copy "$W/zdr $W/copy.ZdrPrj /a /s" \
        "$W/then-sync.sh $W/ZielCp cp -a $W/Quelle $W/ZielCp/"
    fi
  fi
  if wanted rerun; then
    rm -rf "$W/Ziel" "$W/ZielCp"; mkdir -p "$W/Ziel" "$W/ZielCp"
    cp -a "$W/Quelle" "$W/Ziel/"; cp -a "$W/Quelle" "$W/ZielCp/"
    project "$W/rerun.ZdrPrj" 1 "$W/Quelle" "$W/Ziel" "" chkCopyContinueAfterError chkCopyOverwriteExisting \
      chkCopyOnlyDiffrentFiles
    prep_none() { :; }
    compare "unchanged rerun, only differing" "rsync -a" prep_none "$W/zdr $W/rerun.ZdrPrj /a /s" \
      "rsync -a $W/Quelle $W/ZielCp/"
  fi
  if wanted ntfs && [ "$where_now" = disk ]; then
    ntfs_rerun
  fi
  if wanted delete; then
    project "$W/delete.ZdrPrj" 3 "$W/Weg" "" "" chkActionAutoStart chkCopyContinueAfterError
    prep_delete() { rm -rf "$W/Weg"; cp -a "$W/Quelle" "$W/Weg"; }
    compare "delete $files files" "rm -rf" prep_delete "$W/zdr $W/delete.ZdrPrj /a /s" "rm -rf $W/Weg"
  fi
  rm -rf "$W/Quelle" "$W/Ziel" "$W/ZielCp" "$W/Weg"
  if wanted info; then
    make_tree "$W/Info" "$(scaled 100000)" "$(scaled 5000)" 1024
    project "$W/info.ZdrPrj" 0 "$W/Info" "" "" chkCopyWithInfo
    printf '#!/bin/sh\ndu -s "$1" && find "$1" | wc -l\n' >"$W/du-find.sh"; chmod +x "$W/du-find.sh"
    prep_none() { :; }
    compare "information $(scaled 100000) x 1 KB" "du -s + find | wc -l" prep_none "$W/zdr $W/info.ZdrPrj /a /s" \
      "$W/du-find.sh $W/Info"
    rm -rf "$W/Info"
  fi
  if wanted big; then
    mkdir -p "$W/Gross"
    head -c "$(scaled 1073741824)" /dev/urandom >"$W/Gross/gross.bin"
    project "$W/big.ZdrPrj" 1 "$W/Gross" "$W/ZielGross" "gross.bin" chkCopyContinueAfterError chkCopyOverwriteExisting
    prep_big() { rm -rf "$W/ZielGross" "$W/ZielGrossCp"; mkdir -p "$W/ZielGross" "$W/ZielGrossCp"; }
    compare "one file of $(($(scaled 1073741824) / 1048576)) MiB" "cp" prep_big "$W/zdr $W/big.ZdrPrj /a /s" \
      "cp $W/Gross/gross.bin $W/ZielGrossCp/"
    if [ "$where_now" = disk ]; then
      compare "one file of $(($(scaled 1073741824) / 1048576)) MiB" "cp + sync -f" prep_big "$W/zdr $W/big.ZdrPrj /a /s" \
        "$W/then-sync.sh $W/ZielGrossCp cp $W/Gross/gross.bin $W/ZielGrossCp/"
    fi
    rm -rf "$W/Gross" "$W/ZielGross" "$W/ZielGrossCp"
  fi
  if wanted sparse; then
    # 2 GiB holding 1 MiB of data in the middle: only the data is copied.
    mkdir -p "$W/Duenn"
    truncate -s "$(scaled 2147483648)" "$W/Duenn/duenn.img"
    head -c 1048576 /dev/urandom | dd of="$W/Duenn/duenn.img" bs=1M seek="$(($(scaled 2048) / 2))" conv=notrunc \
      status=none
    project "$W/sparse.ZdrPrj" 1 "$W/Duenn" "$W/ZielDuenn" "duenn.img" chkCopyContinueAfterError \
      chkCopyOverwriteExisting
    prep_sparse() { rm -rf "$W/ZielDuenn" "$W/ZielDuennCp"; mkdir -p "$W/ZielDuenn" "$W/ZielDuennCp"; }
    label="sparse file of $(($(scaled 2147483648) / 1048576)) MiB, 1 MiB data"
    compare "$label" "cp -a + sync -f" prep_sparse "$W/zdr $W/sparse.ZdrPrj /a /s" \
      "$W/then-sync.sh $W/ZielDuennCp cp -a $W/Duenn/duenn.img $W/ZielDuennCp/"
    prep_sparse
    "$W/zdr" "$W/sparse.ZdrPrj" /a /s >/dev/null 2>&1 || echo "    (sparse copy failed)" >&2
    cp -a "$W/Duenn/duenn.img" "$W/ZielDuennCp/"
    printf '  %-34s %s KiB on the volume (cp -a: %s KiB)\n' "sparse copy takes" \
      "$(du -k "$W/ZielDuenn/duenn.img" | cut -f1)" "$(du -k "$W/ZielDuennCp/duenn.img" | cut -f1)"
    rm -rf "$W/Duenn" "$W/ZielDuenn" "$W/ZielDuennCp"
  fi
  if wanted start; then
    mkdir -p "$W/Eins"; echo "eine Datei" >"$W/Eins/brief.txt"
    project "$W/one.ZdrPrj" 1 "$W/Eins" "$W/ZielEins" "brief.txt" chkCopyContinueAfterError chkCopyOverwriteExisting
    prep_one() { rm -rf "$W/ZielEins" "$W/ZielEinsCp"; mkdir -p "$W/ZielEins" "$W/ZielEinsCp"; }
    compare "one-file copy" "cp" prep_one "$W/zdr $W/one.ZdrPrj /a /s" "cp $W/Eins/brief.txt $W/ZielEinsCp/"
    local t wall=() cpu=() ms cpuMs
    for ((t = 0; t < pairs; t++)); do
      prep_one; timed "$W/zdr" "$W/one.ZdrPrj" /a /s; wall+=("$last_seconds"); cpu+=("$last_cpu")
    done
    ms=$(median_of "${wall[@]}" | awk '{ printf "%.0f", $1 * 1000 }')
    cpuMs=$(median_of "${cpu[@]}" | awk '{ printf "%.0f", $1 * 1000 }')
    printf '  %-34s %s ms, cpu %s ms (median of %d)\n' "one-file copy, start to exit" "$ms" "$cpuMs" "$pairs"
    printf '  %-6s %-36s %-22s %6s   cpu %s ms\n' "$where_now" "one-file copy, start to exit" "" "$ms ms" "$cpuMs" \
      >>"$results"
    # The program notes its first entry when told its start (ZDR_BENCH_START_US).
    local first=() firstCpu=() line
    for ((t = 0; t < pairs; t++)); do
      prep_one
      line=$(ZDR_BENCH_START_US=${EPOCHREALTIME/./} "$W/zdr" "$W/one.ZdrPrj" /a /s 2>&1 >/dev/null |
        sed -n 's/.*erster Eintrag nach \([0-9.]*\) ms (Prozessorzeit \([0-9.]*\) ms).*/\1 \2/p')
      [ -n "$line" ] || continue
      first+=("${line% *}"); firstCpu+=("${line#* }")
    done
    if [ ${#first[@]} -gt 0 ]; then
      ms=$(median_of "${first[@]}" | awk '{ printf "%.0f", $1 }')
      cpuMs=$(median_of "${firstCpu[@]}" | awk '{ printf "%.0f", $1 }')
      printf '  %-34s %s ms, cpu %s ms (median of %d; goal: within 40 ms)\n' "one-file copy, start to first entry" \
        "$ms" "$cpuMs" "${#first[@]}"
      printf '  %-6s %-36s %-22s %6s   cpu %s ms\n' "$where_now" "one-file copy, start to first entry" "" "$ms ms" \
        "$cpuMs" >>"$results"
    fi
  fi
  if wanted memory; then
    make_tree "$W/Viel" "$(scaled 200000)" "$(scaled 10000)" 0
    project "$W/mem.ZdrPrj" 0 "$W/Viel" "" "" chkCopyWithInfo
    /usr/bin/time -f %M -o "$W/peak" "$program" "$W/mem.ZdrPrj" /a /s >/dev/null 2>&1 || true
    local mb
    mb=$(awk '{ printf "%.0f", $1 / 1024 }' "$W/peak")
    printf '  %-34s %s MB (goal at most 100)\n' "peak memory, info $(scaled 200000) files" "$mb"
    printf '  %-6s %-36s %-22s %6s\n' "$where_now" "peak memory, info $(scaled 200000) files" "" "$mb MB" >>"$results"
    rm -rf "$W/Viel"
  fi
  if [ -n "$mounted" ]; then
    umount "$mounted"
    W="$base/zdr-whole-bench"
  fi
  rm -rf "$W"
}

echo "Zendor DaroRazu against cp, rsync, du on $(nproc) cores ($(lscpu | sed -n 's/^Model name: *//p')), scale $scale, $pairs pairs"
if [ "$where" = tmpfs ] || [ "$where" = both ]; then where_now=tmpfs; run_at "$tmpfsBase"; fi
if [ "$where" = disk ] || [ "$where" = both ]; then where_now=disk; run_at "$diskBase"; fi
echo
echo "Medians of the pairs' ratios, ours / peer (wall time, and user + system time):"
cat "$results"
