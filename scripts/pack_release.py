"""Packs what a user downloads from the stripped exe and README.md:

    pack_release.py EXE README.md DIST

DIST/kavren_ui-<version>-win64.zip holds the exe, README.txt and the exe's SHA256SUMS; DIST/SHA256SUMS
is the zip's. <version> is the file version of the exe's own version record. The zip's times are
SOURCE_DATE_EPOCH (the commit's), its names sorted and its attributes fixed, so that one exe always
packs to the same bytes. The zip is renamed into place last: a run that fails leaves none.
"""
import hashlib
import os
import re
import struct
import sys
import time
import zipfile

# README.txt: what the program is (README.md before its first section), then these sections.
USER_SECTIONS = ("Download and install", "Use")
EXE_NAME = "kavren_ui.exe"
RT_VERSION = 16
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD


class PackError(Exception):
    pass


def file_version(image):
    """The numeric file version of VS_FIXEDFILEINFO in the image's version resource, as "a.b.c.d"."""
    def u16(offset):
        return struct.unpack_from("<H", image, offset)[0]

    def u32(offset):
        return struct.unpack_from("<I", image, offset)[0]

    pe = u32(0x3C)
    if image[:2] != b"MZ" or image[pe:pe + 4] != b"PE\0\0":
        raise PackError("the exe is no PE image")
    optional = pe + 24
    data_directories = optional + (112 if u16(optional) == 0x20B else 96)
    resources = u32(data_directories + 2 * 8)
    section_table = optional + u16(pe + 20)
    sections = [struct.unpack_from("<IIII", image, section_table + 40 * i + 8) for i in range(u16(pe + 6))]

    def file_offset(rva):
        for virtual_size, address, raw_size, raw_pointer in sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_pointer + rva - address
        raise PackError(f"the exe has no section at RVA {rva:#x}")

    if not resources:
        raise PackError("the exe has no resources")
    root = file_offset(resources)

    def first_entry(directory, wanted_id=None):
        count = u16(directory + 12) + u16(directory + 14)
        for entry in range(directory + 16, directory + 16 + 8 * count, 8):
            if wanted_id is None or u32(entry) == wanted_id:
                return u32(entry + 4)
        raise PackError("the exe has no version record")

    names = first_entry(root, RT_VERSION)
    languages = first_entry(root + (names & 0x7FFFFFFF))
    data = first_entry(root + (languages & 0x7FFFFFFF))
    record = file_offset(u32(root + data))
    # VS_VERSIONINFO: three WORDs, the key "VS_VERSION_INFO" in UTF-16 and padding to a DWORD.
    fixed = record + 40
    if image[record + 6:fixed].decode("utf-16-le").rstrip("\0") != "VS_VERSION_INFO" or \
            u32(fixed) != FIXED_FILE_INFO_SIGNATURE:
        raise PackError("the exe's version record has no VS_FIXEDFILEINFO")
    most, least = u32(fixed + 8), u32(fixed + 12)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


def user_readme(markdown):
    """README.txt: the user's sections of README.md in plain text, UTF-8 with CR LF."""
    lines = markdown.splitlines()
    first_section = next((i for i, line in enumerate(lines) if line.startswith("## ")), len(lines))
    parts = [lines[:first_section]]
    for title in USER_SECTIONS:
        starts = [i for i, line in enumerate(lines) if line.rstrip() == "## " + title]
        if len(starts) != 1:
            raise PackError(f'README.md has {"no" if not starts else "more than one"} section "## {title}", '
                            "which README.txt is made from")
        end = next((i for i in range(starts[0] + 1, len(lines)) if lines[i].startswith("## ")), len(lines))
        parts.append(lines[starts[0]:end])
    text = "\n".join(plain_text(part) for part in parts)
    return (re.sub(r"\n{3,}", "\n\n", text).strip("\n") + "\n").replace("\n", "\r\n").encode("utf-8")


def plain_text(lines):
    """Markdown reduced to plain text: headings underlined, code blocks indented as they are, inline marks
    dropped."""
    out, paragraph, fenced = [], [], False

    def end_paragraph():
        if paragraph:
            out.append(plain_inline("\n".join(paragraph)))
            paragraph.clear()

    for line in lines:
        if line.lstrip().startswith("```"):
            end_paragraph()
            fenced = not fenced
        elif fenced:
            out.append("    " + line)
        elif line.startswith("    ") and not paragraph:
            out.append(line)
        elif heading := re.match(r"(#{1,6})\s+(.*?)[\s#]*$", line):
            end_paragraph()
            title = plain_inline(heading[2])
            out += ["", title] + (["=-"[len(heading[1]) - 1] * len(title)] if len(heading[1]) <= 2 else []) + [""]
        elif line.strip():
            paragraph.append(line)
        else:
            end_paragraph()
            out.append("")
    end_paragraph()
    return "\n".join(out)


def plain_inline(text):
    # Code spans keep every character they hold: set them aside while the marks around them go.
    spans = []

    def keep(match):
        spans.append(match[2])
        return f"\0{len(spans) - 1}\0"

    text = re.sub(r"(`+)(.+?)\1(?!`)", keep, text, flags=re.S)
    text = re.sub(r"<!--.*?-->", "", text, flags=re.S)
    text = re.sub(r"<((?:https?|mailto):[^>\s]+)>", r"\1", text)
    text = re.sub(r"</?[A-Za-z][^>]*>", "", text)
    text = re.sub(r"!\[[^\]]*\]\([^)]*\)", "", text)
    text = re.sub(r"\[([^\]]+)\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)",
                  lambda link: link[2] if link[1] == link[2] else f"{link[1]} ({link[2]})", text)
    text = re.sub(r"(\*\*|__)(?=\S)(.+?)(?<=\S)\1", r"\2", text, flags=re.S)
    text = re.sub(r"(?<![\w*])\*(?=[^\s*])(.+?)(?<=[^\s*])\*(?![\w*])", r"\1", text, flags=re.S)
    text = re.sub(r"(?<!\w)_(?=[^\s_])(.+?)(?<=[^\s_])_(?!\w)", r"\1", text, flags=re.S)
    text = re.sub(r"\\([!-/:-@\[-`{-~])", r"\1", text)
    text = re.sub(r"[ \t]+$", "", text, flags=re.M)
    return re.sub(r"\0(\d+)\0", lambda span: spans[int(span[1])], text)


def zip_bytes_to(path, entries, epoch):
    # Zip times have no zone and begin in 1980; UTC it is.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(path, "w") as archive:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 3
            info.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, entries[name], compresslevel=9)


def sums_line(data, name):
    return f"{hashlib.sha256(data).hexdigest()}  {name}\n".encode()


def main(exe_path, readme_path, dist):
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])
    with open(exe_path, "rb") as exe_file:
        exe = exe_file.read()
    with open(readme_path, encoding="utf-8") as readme_file:
        readme = user_readme(readme_file.read())
    name = f"kavren_ui-{file_version(exe)}-win64.zip"
    os.makedirs(dist, exist_ok=True)
    partial_zip, partial_sums = os.path.join(dist, name + ".partial"), os.path.join(dist, "SHA256SUMS.partial")
    try:
        zip_bytes_to(partial_zip, {EXE_NAME: exe, "README.txt": readme, "SHA256SUMS": sums_line(exe, EXE_NAME)},
                     epoch)
        with open(partial_zip, "rb") as zip_file, open(partial_sums, "wb") as sums_file:
            sums_file.write(sums_line(zip_file.read(), name))
        os.replace(partial_sums, os.path.join(dist, "SHA256SUMS"))
        os.replace(partial_zip, os.path.join(dist, name))
    finally:
        for partial in (partial_zip, partial_sums):
            if os.path.exists(partial):
                os.remove(partial)
    print(os.path.join(dist, name))


if __name__ == "__main__":
    try:
        main(*sys.argv[1:])
    except (PackError, OSError, ValueError, KeyError, struct.error) as error:
        sys.exit(f"package: {error}")
