# What the last scripts/package made is what a user can check and read; run from the project root.
# The exe is read with pefile, a PE reader of its own, not with the packer's.
import hashlib, os, re, subprocess, sys, time, zipfile

import pefile

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def sums(files):
    return "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in files.items()).encode()


names = sorted(os.listdir("build/dist"))
zips = [name for name in names if re.fullmatch(r"kavren_ui-\d+\.\d+\.\d+\.\d+-win64\.zip", name)]
if len(zips) != 1 or names != sorted(zips + ["SHA256SUMS"]):
    sys.exit(f"zip contents: build/dist holds {names}, not one zip and its SHA256SUMS")
with open(f"build/dist/{zips[0]}", "rb") as zip_file, open("build/dist/SHA256SUMS", "rb") as zip_sums:
    check(zip_sums.read() == sums({zips[0]: zip_file.read()}), "build/dist/SHA256SUMS is not the zip's")

epoch = int(os.environ.get("SOURCE_DATE_EPOCH") or subprocess.check_output(["git", "log", "-1", "--format=%ct"]))
with zipfile.ZipFile(f"build/dist/{zips[0]}") as archive:
    entries = archive.infolist()
    files = {entry.filename: archive.read(entry) for entry in entries}
check(list(files) == ["README.txt", "SHA256SUMS", "kavren_ui.exe"], f"the zip holds {list(files)}")
check(all(entry.date_time == time.gmtime(epoch - epoch % 2)[:6] for entry in entries), "its times are not the commit's")
exe_bytes = files.get("kavren_ui.exe", b"")
check(files.get("SHA256SUMS") == sums({"kavren_ui.exe": exe_bytes}), "the zip's SHA256SUMS is not its exe's")

readme = files.get("README.txt", b"")
check(b"\r\n" in readme and b"\n" not in readme.replace(b"\r\n", b""), "README.txt does not end its lines in CR LF")
text = readme.decode("utf-8", errors="replace")
check("\ufffd" not in text, "README.txt is no UTF-8")
check({"Download and install", "Use"} <= set(text.split("\r\n")), "README.txt lacks a user's section")
for mark in ("](", "![", "`", "**", "## ", "<img"):
    check(mark not in text, f"README.txt keeps the Markdown {mark!r}")

exe = pefile.PE(data=exe_bytes)
check(exe.FILE_HEADER.TimeDateStamp in (0, epoch), f"the exe is stamped {exe.FILE_HEADER.TimeDateStamp}")
check(exe.OPTIONAL_HEADER.CheckSum == exe.generate_checksum(), "the exe's header checksum is not that of its bytes")
check(exe.FILE_HEADER.NumberOfSymbols == 0 and not any(s.Name.startswith(b".debug") for s in exe.sections),
      "the exe is not stripped")
most, least = exe.VS_FIXEDFILEINFO[0].FileVersionMS, exe.VS_FIXEDFILEINFO[0].FileVersionLS
version = f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"
check(zips[0] == f"kavren_ui-{version}-win64.zip", f"the zip is named {zips[0]} for an exe of version {version}")

if failures:
    sys.exit("\n".join(f"zip contents: {failure}" for failure in failures))
print(f"zip contents: {zips[0]} holds the stripped exe {version}, its checksum and README.txt")
