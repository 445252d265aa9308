#include "deploy/firmware_writer.h"

namespace qz {

bool IsDriveRoot(const std::wstring& root) {
    if (root.size() != 3) return false;
    const wchar_t letter = root[0];
    const bool isLetter = (letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z');
    return isLetter && root[1] == L':' && root[2] == L'\\';
}

bool WriteWholeFile(TargetFileSystem& fs, const std::wstring& path, ByteView bytes) {
    std::unique_ptr<OutputFile> file = fs.Create(path);
    if (!file) return false;

    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size) {
        const std::size_t written = file->Write(bytes.data + done, bytes.size - done);
        if (written == 0 || written > bytes.size - done)
            ok = false;
        else
            done += written;
    }
    ok = ok && file->Flush();
    ok = file->Close() && ok;
    file.reset();
    if (!ok) fs.Delete(path);  // a half-written file must not stay behind
    return ok;
}

bool WritePayload(TargetFileSystem& fs, const std::wstring& path, ByteView bytes) {
    fs.Delete(path);
    return WriteWholeFile(fs, path, bytes);
}

int WriteFirmwareSet(PayloadSource& source, TargetFileSystem& fs, const std::wstring& root) {
    if (!IsDriveRoot(root)) return 0;
    int count = 0;
    for (const PayloadEntry& entry : kPayloadTable) {
        const ByteView bytes = source.Open(entry.resourceName);
        if (WritePayload(fs, root + entry.fileName, bytes)) ++count;
    }
    return count;
}

std::vector<Message> FirmwareOutcome(int writtenCount, const std::wstring& root) {
    const std::wstring quoted = L" \"" + root + L"\"";
    if (writtenCount == static_cast<int>(kPayloadTable.size())) {
        return {
            {L"Файлы прошивки успешно сохранены на" + quoted, L"Процесс завершен", MessageIcon::None},
            {L"ВНИМАНИЕ! Перед прошивкой рекомендуется отключить от терминала все подключенные "
             L"кабели и устройства, кроме адаптера питания!",
             L"Предупреждение", MessageIcon::Warning},
        };
    }
    return {{L"Ошибка записи на" + quoted, L"Ошибка записи", MessageIcon::Error}};
}

}  // namespace qz
