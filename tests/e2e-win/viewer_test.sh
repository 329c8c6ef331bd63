#!/usr/bin/env bash
# The ledger viewer mametan-view.exe beside the tray program: a purchase typed
# into the input window shows in the open viewer's list and in its kind's bar
# within a second; the same ledger saved again by a spreadsheet (every field
# quoted, LF, no final line end) shows the same purchases and totals; a line
# that cannot be read is listed; the settings are only read. What the viewer
# shows is read back as a user would take it: a click into the list or the
# chart, Ctrl+A, Ctrl+C, the clipboard (Wine hands it to X). The viewer
# stays right as the file changes under it: an edit in place, its folder
# deleted and made again, a CR-only save, a UTF-8 save that the tray program
# then appends to; every total is checked against the file's own sums. A
# purchase is corrected and one deleted by keyboard alone, and the deletion
# taken back, every other byte of the ledger kept.
#   viewer_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

VIEWER=$(dirname "$MAMETAN")/mametan-view.exe
[[ -f $VIEWER ]] || { echo "FAIL: no $VIEWER"; exit 1; }
WINDOW_TEXT=$(dirname "$MAMETAN")/../tests/window_text.exe
[[ -f $WINDOW_TEXT ]] || { echo "FAIL: no $WINDOW_TEXT"; exit 1; }

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
today=$(date +%Y/%m/%d)
last_month=$(date -d "$(date +%Y-%m-01) -1 day" +%Y/%m/%d)
{
  sjis $'日付,種類,商品名,価格\r\n'
  printf '%s,food,bread,300\r\n' "$last_month"
  printf '%s,food,milk,1200\r\n' "$today"
  sjis "$today,食費,rice,2500"$'\r\n'
  printf '%s,book,novel,1050\r\n' "$today"
  printf '%s,book,no price\r\n' "$today"
} >household.csv

start_desktop
# Both programs take the ledger's name from the settings, relative to the
# folder they run in.
wine reg add 'HKCU\Software\VelmaroSoftware\Mametan' /v File_Kakeibo /t REG_SZ /d household.csv /f \
  >/dev/null 2>&1
settings() { wine reg export 'HKCU\Software\VelmaroSoftware' "$E2E_DIR/$1.reg" /y >/dev/null 2>&1; }
start_program
wait_docked || { echo "FAIL: the icon never docked"; exit 1; }

# Starts the viewer with the given arguments and waits for its window, titled
# after the ledger's file name $1 (or household.csv); its id in $VIEW.
start_viewer() {
  wine "$VIEWER" "$@" >>"$E2E_DIR/viewer.log" 2>&1 &
  VIEW_PID=$!
  VIEW=$(wait_window "まめたん家計簿 一覧 - $(basename "${1:-household.csv}")")
  sleep 0.3
}

# A press at ($2,$3) of window $1 (percent of its size), then Ctrl+A and
# Ctrl+C; prints the clipboard once the copy has reached it (emptied first,
# so that an earlier copy is never taken for it), line ends as LF.
copy_at() {
  local id=$1 px=$2 py=$3 text=""
  xclip -selection clipboard -i </dev/null
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove --window "$id" $((WIDTH * px / 100)) $((HEIGHT * py / 100)) click 1
  xdotool key ctrl+a ctrl+c
  for _ in $(seq 60); do
    text=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
    [[ -n $text ]] && break
    sleep 0.05
  done
  printf '%s\n' "$text"
}
table_text() { copy_at "$1" 25 60; }
chart_text() { copy_at "$1" 80 85; }

viewer_ends() {
  for _ in $(seq 50); do
    kill -0 "$VIEW_PID" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

start_viewer
check "the viewer opens the ledger the settings name" test -n "$VIEW"
[[ -n $VIEW ]] || finish
table=$(table_text "$VIEW")
check "... at the latest month, its three purchases in the list" \
  test "$(grep -c "^$today" <<<"$table")" -eq 3
check "... the prices grouped by thousands" grep -q $'^'"$today"$'\tbook\tnovel\t1,050$' <<<"$table"
chart=$(chart_text "$VIEW")
check "... the kinds largest first with amount and share" \
  test "$(cut -f1,2 <<<"$chart" | tr '\n' ' ')" = "食費	2,500円 food	1,200円 book	1,050円 "
screenshot viewer-opened

# A purchase typed into the tray program's input window: the first kind
# (食費), the goods, the price, Enter.
xdotool mousemove "$ICON_X" "$ICON_Y" click 1
INPUT=$(wait_window 'まめたん家計簿 - 入力')
check "a left press on the icon opens the input window" test -n "$INPUT"
[[ -n $INPUT ]] || finish
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$INPUT")"
xdotool mousemove $((X + 100)) $((Y + 55)) click 1
sleep 0.3
xdotool key Down Tab
sleep 0.3
xdotool type --delay 50 'tea'
xdotool key Tab
sleep 0.3
xdotool type --delay 30 '150'
start_ns=$(date +%s%N)
xdotool key Return
seen_ms=""
for _ in $(seq 40); do
  table=$(table_text "$VIEW")
  if grep -q $'\t食費\ttea\t150$' <<<"$table"; then
    seen_ms=$((($(date +%s%N) - start_ns) / 1000000))
    break
  fi
done
check "the typed purchase shows in the viewer's list within a second (${seen_ms:-never} ms)" \
  test "${seen_ms:-9999}" -le 1000
chart=$(chart_text "$VIEW")
check "... and in its kind's bar" grep -q $'^食費\t2,650円\t' <<<"$chart"
screenshot viewer-after-purchase
original_table=$table original_chart=$chart
xdotool key Escape
check "Esc closes the viewer" viewer_ends

# The same ledger as a spreadsheet saves it again.
LC_ALL=C awk -F, '
  function group(n,   s) { s = ""; while (n > 999) { s = sprintf(",%03d", n % 1000) s; n = int(n / 1000) } return n s }
  { sub(/\r$/, "") }
  NF == 4 && $4 ~ /^[0-9]+$/ { $4 = group($4) }
  { line = ""; for (i = 1; i <= NF; i++) line = line (i > 1 ? "," : "") "\"" $i "\""
    printf "%s%s", (NR > 1 ? "\n" : ""), line }' household.csv >spreadsheet.csv
start_viewer spreadsheet.csv
check "the viewer opens a ledger named on its command line" test -n "$VIEW"
[[ -n $VIEW ]] || finish
check "... the spreadsheet's copy shows the same purchases" test "$(table_text "$VIEW")" = "$original_table"
check "... and the same totals per kind" test "$(chart_text "$VIEW")" = "$original_chart"

# The line without a price is listed with its number, as the file has it.
eval "$(xdotool getwindowgeometry --shell "$VIEW")"
xdotool mousemove --window "$VIEW" $((WIDTH - 40)) 20 click 1
LIST=$(wait_window '読めなかった行')
check "'読めなかった行' opens from its button" test -n "$LIST"
if [[ -n $LIST ]]; then
  sleep 0.3
  screenshot viewer-unreadable
  check "... and lists the line that cannot be read" \
    test "$(copy_at "$LIST" 50 30)" = $'6\t"'"$today"'","book","no price"'
  xdotool key Escape
  sleep 0.3
fi
xdotool key Escape
check "Esc closes the list, then the viewer" viewer_ends

# Correcting and deleting by keyboard alone: a row chosen with the arrow
# keys, Enter opens it with the focus in the date, Tab walks to the price,
# Enter writes; Delete asks, y deletes; Ctrl+Z takes the deletion back.
# Every other line keeps its bytes, a spreadsheet's quoting included.
RESOURCE_H=$E2E_LIB/../../win32/Resource.h
id_of() { sed -n "s/^#define $1 \([0-9]*\).*/\1/p" "$RESOURCE_H"; }
edit_file() {
  sjis $'日付,種類,商品名,価格\r\n'
  printf '2026/11/01,food,bread,300\r\n'
  sjis '2026/11/02,食費,"bread, white","1,050"'
  printf '\r\n2026/11/03,food,milk,%s\r\n%s' "$1" "$2"
}
edit_file 200 $'2026/11/04,book,novel,1500\r\n' >edit.csv
edit_file 250 $'2026/11/04,book,novel,1500\r\n' >"$E2E_DIR/corrected.expected"
edit_file 250 '' >"$E2E_DIR/deleted.expected"
ledger_is() {
  for _ in $(seq 30); do
    cmp -s "$1" edit.csv && return 0
    sleep 0.1
  done
  od -c edit.csv | tail -5 >&2
  return 1
}
FOCUS_LOG=$E2E_DIR/focus.log
wine "$WINDOW_TEXT" /focus >"$FOCUS_LOG" 2>/dev/null &
start_viewer edit.csv
check "a ledger to correct opens" test -n "$VIEW"
[[ -n $VIEW ]] || finish
eval "$(xdotool getwindowgeometry --shell "$VIEW")"
xdotool mousemove --window "$VIEW" $((WIDTH / 5)) $((HEIGHT * 85 / 100)) click 1
xdotool key Home Down Down Return
CORRECTION=$(wait_window 'まめたん家計簿 - 買い物の修正')
check "Enter on a row opens the correction window" test -n "$CORRECTION"
[[ -n $CORRECTION ]] || finish
sleep 0.5
import -window "$CORRECTION" "$E2E_SHOTS/correction.png" 2>/dev/null
for _ in 1 2 3; do
  xdotool key Tab
  sleep 0.2
done
walked=$(grep -a '^まめたん家計簿 - 買い物の修正' "$FOCUS_LOG" | cut -f2 | uniq | tr '\n' ' ')
check "... the focus in the date, Tab to the kind, the goods, the price ($walked)" \
  test "$walked" = "$(for c in DATE KIND GOODS PRICE; do printf '%s ' "$(id_of IDC_CORRECTION_$c)"; done)"
focused_text() { tail -n 1 "$FOCUS_LOG" | tr -d '\r' | cut -f4; }
check "... the price shown as the file has it" test "$(focused_text)" = 200
xdotool type --delay 30 '250'
xdotool key Return
check "Enter writes the new price, every other byte kept" ledger_is "$E2E_DIR/corrected.expected"
sleep 0.3
xdotool key Down Delete
QUESTION=$(wait_window 'まめたん家計簿')
check "Delete asks first" test -n "$QUESTION"
sleep 0.3
screenshot correction-delete-question
xdotool key y
check "... y deletes the purchase, every other byte kept" ledger_is "$E2E_DIR/deleted.expected"
sleep 0.3
xdotool key ctrl+z
check "Ctrl+Z brings the deleted line back in its place" ledger_is "$E2E_DIR/corrected.expected"
xdotool key Escape
viewer_ends

# The month strip's labels as a screen reader reads them from outside the
# program (the strip's window text), one month a line: "11月 1,999,999".
strip_text() { wine "$WINDOW_TEXT" MametanViewerStrip 2>/dev/null | tr -d '\r' | tr '\t' '\n'; }
group() {
  local n=$1 s=""
  while ((n > 999)); do
    s=$(printf ',%03d%s' $((n % 1000)) "$s")
    n=$((n / 1000))
  done
  echo "$n$s"
}

# A year of purchases: PageUp shows the month before; a look at the charts.
expected_strip=""
{
  sjis $'日付,種類,商品名,価格\r\n'
  for m in $(seq 1 12); do
    total=$(((1800 * 5 + m * 137 * 5 + 74 * 11) + (600 * 5 + 74 * 23) + 6000 + (m % 6) * 1500 +
      (m % 4 == 0 ? 30000 : 3000)))
    expected_strip+="${m}月 $(group "$total")"$'\n'

    for d in 3 9 14 21 27; do
      printf '2025/%02d/%02d,' "$m" "$d"
      sjis "食費,スーパーまるやす,$((1800 + m * 137 + d * 11))"$'\r\n'
      printf '2025/%02d/%02d,' "$m" "$d"
      sjis "日用品・雑貨,ドラッグストア,$((600 + d * 23))"$'\r\n'
    done
    printf '2025/%02d/10,' "$m"
    sjis "光熱費,電気・ガス料金,$((6000 + (m % 6) * 1500))"$'\r\n'
    printf '2025/%02d/15,' "$m"
    sjis "交際費・お祝い,友人の結婚祝い,$((m % 4 == 0 ? 30000 : 3000))"$'\r\n'
  done
} >year.csv
start_viewer year.csv
check "a year's ledger opens" test -n "$VIEW"
[[ -n $VIEW ]] || finish
import -window "$VIEW" "$E2E_SHOTS/viewer-year.png" 2>/dev/null
check "... at its December" grep -q '^2025/12/03' <<<"$(table_text "$VIEW")"
check "... its strip shows every month's total in full" \
  test "$(strip_text)" = "${expected_strip%$'\n'}"
xdotool key Prior
sleep 0.3
check "PageUp shows November" grep -q '^2025/11/03' <<<"$(table_text "$VIEW")"
# A press on the price column's heading sorts by price, a second one the
# other way round.
eval "$(xdotool getwindowgeometry --shell "$VIEW")"
by_price() {
  xdotool mousemove --window "$VIEW" $((WIDTH * 36 / 100)) 52 click 1
  sleep 0.3
  table_text "$VIEW" | cut -f4 | tr -d , | tr '\n' ' '
}
check "a press on 価格 sorts by price" test "$(by_price)" = "$(table_text "$VIEW" | cut -f4 | tr -d , | sort -n | tr '\n' ' ')"
check "... a second press the other way" test "$(by_price)" = "$(table_text "$VIEW" | cut -f4 | tr -d , | sort -rn | tr '\n' ' ')"
xdotool key Escape
viewer_ends

# Totals too wide for their columns are shown in 万, rounded (1,999,999 is
# 200万, not 199万), the others in full; a narrower window abbreviates more.
{
  printf '2025/01/05,a,x,1234567\r\n2025/02/05,a,x,98765\r\n2025/11/05,a,x,1999999\r\n'
  printf '2025/12/05,a,x,12345\r\n'
} >large.csv
start_viewer large.csv
check "a ledger of large totals opens" test -n "$VIEW"
[[ -n $VIEW ]] || finish
strip=$(strip_text)
echo "$strip" >"$E2E_SHOTS/strip-default.txt"
screenshot viewer-strip-default
check "... at the default size the widest in 万, rounded, the others in full" \
  test "$(sed -n '1p;2p;11p;12p' <<<"$strip" | tr '\n' ' ')" = "1月 123万 2月 98,765 11月 200万 12月 12,345 "
xdotool windowsize "$VIEW" 700 500
sleep 1
strip=$(strip_text)
echo "$strip" >"$E2E_SHOTS/strip-narrow.txt"
screenshot viewer-strip-narrow
check "... in a narrow window the five-figure ones too" \
  test "$(sed -n '2p;12p' <<<"$strip" | tr '\n' ' ')" = "2月 10万 12月 1万 "
xdotool key Escape
viewer_ends

# A ledger that is missing when the viewer opens shows once a program saves
# it (a new file renamed into place).
start_viewer later.csv
check "a missing ledger opens" test -n "$VIEW"
cp household.csv later.tmp && mv later.tmp later.csv
shown() {
  for _ in $(seq 10); do
    grep -q $'\tfood\tmilk\t1,200$' <<<"$(table_text "$VIEW")" && return 0
  done
  return 1
}
check "... and shows the file saved later" shown
xdotool key Escape
viewer_ends

# The ledger's own sums per kind for the month $2 ("2026/05"), one
# "kind<TAB>amount" a line, sorted; whatever its line ends.
file_sums() {
  tr '\r' '\n' <"$1" | LC_ALL=C awk -F, -v m="$2" '
    index($1, m) == 1 && NF >= 4 && $4 ~ /^-?[0-9]+$/ { s[$2] += $4 }
    END { for (k in s) print k "\t" s[k] }' | LC_ALL=C sort
}
# The same as window $1's chart shows them.
chart_sums() {
  chart_text "$1" | LC_ALL=C awk -F'\t' 'NF { gsub(/,/, "", $2); sub(/円$/, "", $2); print $1 "\t" $2 }' |
    LC_ALL=C sort
}
# Waits up to $4 seconds for window $1's chart to agree with the ledger $2's
# month $3; the milliseconds it took in $SEEN_MS.
shows_sums() {
  local start want got
  start=$(date +%s%N)
  want=$(file_sums "$2" "$3")
  SEEN_MS=never
  while (($(date +%s%N) - start < $4 * 1000000000)); do
    got=$(chart_sums "$1")
    if [[ -n $want && $got == "$want" ]]; then
      SEEN_MS=$((($(date +%s%N) - start) / 1000000))
      return 0
    fi
  done
  echo "chart: $(tr '\n' ' ' <<<"$got")/ file: $(tr '\n' ' ' <<<"$want")" >&2
  return 1
}
month=$(date +%Y/%m)
# A ledger of 100 purchases this month, prices of three digits.
{
  printf '日付,種類,商品名,価格\r\n' | iconv -f UTF-8 -t CP932
  for i in $(seq 100); do
    printf '%s/%02d,k%d,item %03d,%d\r\n' "$month" $((i % 28 + 1)) $((i % 4)) "$i" $((100 + i * 7))
  done
} >backup.csv
mkdir -p books
cp backup.csv books/kakeibo.csv
start_viewer books/kakeibo.csv
check "a ledger in its own folder opens with the totals of its file" shows_sums "$VIEW" books/kakeibo.csv "$month" 3

# A price fixed in place 1 KB before the end: same size, same file.
size=$(stat -c %s books/kakeibo.csv)
at=$(LC_ALL=C grep -abo ',[0-9][0-9][0-9]'$'\r' books/kakeibo.csv |
  awk -F: -v end=$((size - 1024)) '$1 <= end { at = $1 } END { print at + 1 }')
printf 999 | dd of=books/kakeibo.csv bs=1 seek="$at" conv=notrunc status=none
check "the ledger was changed in place, its size kept" test "$(stat -c %s books/kakeibo.csv)" = "$size"
shows_sums "$VIEW" books/kakeibo.csv "$month" 3
check "an edit in place 1 KB before the end shows within a second ($SEEN_MS ms)" test "$SEEN_MS" != never

# The folder deleted, then made again with the backup in it.
rm -rf books
sleep 1
check "the ledger's folder deleted empties the chart" test -z "$(chart_text "$VIEW")"
mkdir books
cp backup.csv books/kakeibo.csv
check "the folder made again shows the ledger restored in it" shows_sums "$VIEW" books/kakeibo.csv "$month" 5
printf '%s/28,k9,late,4321\r\n' "$month" >>books/kakeibo.csv
check "... and what is appended to it afterwards" shows_sums "$VIEW" books/kakeibo.csv "$month" 5
screenshot viewer-folder-restored
xdotool key Escape
viewer_ends

# A spreadsheet's save with CR alone as line end.
printf '%s/03,cr,one,120\r%s/04,cr,two,340\r%s/05,mac,three,5\r' "$month" "$month" "$month" >mac.csv
start_viewer mac.csv
check "a ledger whose lines end in CR alone reads" shows_sums "$VIEW" mac.csv "$month" 3
xdotool key Escape
viewer_ends

# A spreadsheet's UTF-8 save, with its mark, as the tray program's ledger.
printf '\xEF\xBB\xBF日付,種類,商品名,価格\r\n%s/02,食費,パン,300\r\n%s/03,雑貨,箱,120\r\n' \
  "$month" "$month" >household.csv
cp household.csv "$E2E_DIR/utf8.expected"
start_viewer
check "a UTF-8 ledger with its mark shows its kinds" shows_sums "$VIEW" household.csv "$month" 3
xdotool mousemove "$ICON_X" "$ICON_Y" click 1
INPUT=$(wait_window 'まめたん家計簿 - 入力')
check "the input window opens again" test -n "$INPUT"
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$INPUT")"
xdotool mousemove $((X + 100)) $((Y + 55)) click 1
sleep 0.3
xdotool key Down Tab
sleep 0.3
xdotool type --delay 50 'tea'
xdotool key Tab
sleep 0.3
xdotool type --delay 30 '150'
xdotool key Return
printf '%s,食費,tea,150\r\n' "$today" >>"$E2E_DIR/utf8.expected"
landed() {
  for _ in $(seq 50); do
    cmp -s "$E2E_DIR/utf8.expected" household.csv && return 0
    sleep 0.1
  done
  od -c household.csv | tail -4 >&2
  return 1
}
check "... the tray program's purchase lands in it in UTF-8, byte for byte" landed
check "... and shows with its kind's total" shows_sums "$VIEW" household.csv "$month" 3
screenshot viewer-utf8
xdotool key Escape
viewer_ends

# The settings are read, never written.
settings before
start_viewer
xdotool key Escape
viewer_ends
settings after
check "the viewer left the settings as they were" cmp "$E2E_DIR/before.reg" "$E2E_DIR/after.reg"
finish
