# Sourced by the scripts: whether this machine runs 32-bit x86 programs, and how.
#   i386_runs   true when a tiny i386 program runs (natively or through qemu-user)
#   i386_mode   "native", or "emulated" when qemu-user runs them through binfmt_misc
# The probe is a 96-byte static i386 ELF that exits with 42 through int 0x80: it needs no
# compiler and no library, and nothing but a real 32-bit run can make it answer 42.
i386_probe_file() {
  local file=$1
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$file"
  chmod +x "$file"
}

i386_runs() {
  local probe rc=0
  probe=$(mktemp /tmp/zelvomw-i386-XXXXXX)
  i386_probe_file "$probe"
  "$probe" >/dev/null 2>&1 || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}

i386_binfmt=/proc/sys/fs/binfmt_misc/qemu-i386

# binfmt_misc handlers come before the kernel's own ELF loader, so an enabled qemu-i386
# entry means qemu runs every i386 program.
i386_mode() {
  if [ -f "$i386_binfmt" ] && head -n 1 "$i386_binfmt" | grep -qx enabled; then
    echo emulated
  else
    echo native
  fi
}
