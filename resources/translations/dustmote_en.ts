<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>Dustmote</name>
    <message>
        <source>в Корзину</source>
        <translation>to the Trash</translation>
    </message>
    <message>
        <source>безвозвратно</source>
        <translation>permanently</translation>
    </message>
    <message>
        <source>Будет удалено файлов: %1 (%2 KB) — %3.</source>
        <translation>Files to delete: %1 (%2 KB) — %3.</translation>
    </message>
    <message>
        <source>Удалено файлов: %1 — %2.</source>
        <translation>Files deleted: %1 — %2.</translation>
    </message>
    <message>
        <source>Не удалось удалить файлов: %1.</source>
        <translation>Files that could not be deleted: %1.</translation>
    </message>
    <message>
        <source>теперь это папка, а не файл</source>
        <translation>it is now a folder, not a file</translation>
    </message>
    <message>
        <source>после поиска на этом месте появился другой файл</source>
        <translation>another file has taken its place since the scan</translation>
    </message>
    <message>
        <source>папки файла больше нет на прежнем месте</source>
        <translation>the file&apos;s folder is no longer where it was</translation>
    </message>
    <message>
        <source>папка файла после поиска заменена ссылкой или другой папкой</source>
        <translation>the file&apos;s folder has been replaced by a link or another folder since the scan</translation>
    </message>
    <message>
        <source>на этом диске нет Корзины; файл оставлен на месте</source>
        <translation>this drive has no Trash; the file was left in place</translation>
    </message>
    <message>
        <source>

…и ещё %1.</source>
        <translation>

…and %1 more.</translation>
    </message>
    <message>
        <source>Имя файла</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>Путь к файлу</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>Размер файла</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Изменен</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>Исключения</source>
        <translation>Exclusions</translation>
    </message>
    <message>
        <source>&amp;Эти файлы и папки не предлагаются к удалению:</source>
        <translation>&amp;These files and folders are never offered for deletion:</translation>
    </message>
    <message>
        <source>&amp;Предлагать снова</source>
        <translation>&amp;Offer again</translation>
    </message>
    <message>
        <source>Убирает выбранные из списка исключений</source>
        <translation>Removes the chosen entries from the exclusions</translation>
    </message>
    <message>
        <source>&amp;Закрыть</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Папка: </source>
        <translation>Folder: </translation>
    </message>
    <message>
        <source>Файл: </source>
        <translation>File: </translation>
    </message>
    <message>
        <source>Список исключений не сохранён в «%1».</source>
        <translation>The exclusions were not saved to “%1”.</translation>
    </message>
    <message>
        <source>Ошибка ввода/вывода</source>
        <translation>Input/output error</translation>
    </message>
    <message>
        <source>Исходный файл сохранён под именем «%1».</source>
        <translation>The original file was kept as “%1”.</translation>
    </message>
    <message>
        <source>Сохранить копию исходного файла не удалось (%1); при выходе из программы он будет перезаписан.</source>
        <translation>A copy of the original file could not be kept (%1); it will be overwritten when the program closes.</translation>
    </message>
    <message>
        <source>Не удалось загрузить лист</source>
        <translation>Could not load the list</translation>
    </message>
    <message>
        <source>Файл «%1» не является списком типов файлов.
%2</source>
        <translation>The file “%1” is not a list of file types.
%2</translation>
    </message>
    <message>
        <source>Список типов файлов «%1» повреждён: прочитано строк — %2 из %3.
%4</source>
        <translation>The list of file types “%1” is damaged: %2 of %3 rows were read.
%4</translation>
    </message>
    <message>
        <source>Список типов файлов не сохранён: текст «%1…» длиннее %2 байт.</source>
        <translation>The list of file types was not saved: the text “%1…” is longer than %2 bytes.</translation>
    </message>
    <message>
        <source>Список типов файлов не сохранён: в нём %1 строк, а файл вмещает не больше %2.</source>
        <translation>The list of file types was not saved: it has %1 rows, and the file holds at most %2.</translation>
    </message>
    <message>
        <source>Список типов файлов не сохранён: у строки «%1» больше %2 подэлементов.</source>
        <translation>The list of file types was not saved: the row “%1” has more than %2 sub-items.</translation>
    </message>
    <message>
        <source>Отмечено: %1 (%2 KB)</source>
        <translation>Ticked: %1 (%2 KB)</translation>
    </message>
    <message>
        <source>Файлы занимают: </source>
        <translation>Files take up: </translation>
    </message>
    <message>
        <source>%1 Папок(ки) просканировано и %2 файлов(ла) найдено - %3 за секунд(ды)</source>
        <translation>%1 folder(s) scanned and %2 file(s) found - %3 second(s)</translation>
    </message>
    <message>
        <source>Сканирование остановлено - </source>
        <translation>Scan stopped - </translation>
    </message>
    <message>
        <source>Программа уже запущена, но не отвечает. Закройте её или завершите её процесс и запустите программу снова.</source>
        <translation>The program is already running but does not respond. Close it or end its process, then start the program again.</translation>
    </message>
    <message>
        <source>Программа не может быть запущена: не удалось создать файл «%1».</source>
        <translation>The program cannot start: the file “%1” could not be created.</translation>
    </message>
    <message>
        <source>Файл статистики «%1» повреждён и не может быть прочитан. Он сохранён под именем «%2», статистика начата заново.</source>
        <translation>The statistics file “%1” is damaged and cannot be read. It was kept as “%2”, and the statistics start afresh.</translation>
    </message>
    <message>
        <source>Дата последнего сканирования системы: </source>
        <translation>Date of the last system scan: </translation>
    </message>
    <message>
        <source>сканирований ещё не было</source>
        <translation>no scans yet</translation>
    </message>
    <message>
        <source>Общее число сканирований: </source>
        <translation>Total number of scans: </translation>
    </message>
    <message>
        <source>Общее число удаленных файлов: </source>
        <translation>Total number of deleted files: </translation>
    </message>
    <message>
        <source>Не удалось вернуть файлов: %1.</source>
        <translation>Files that could not be restored: %1.</translation>
    </message>
    <message>
        <source>на этом месте уже есть файл; он оставлен как есть, удалённый — в Корзине</source>
        <translation>a file is already in its place; it was left as it is, the deleted one stays in the Trash</translation>
    </message>
    <message>
        <source>этого файла больше нет в Корзине</source>
        <translation>the file is no longer in the Trash</translation>
    </message>
    <message>
        <source>По типам</source>
        <translation>By type</translation>
    </message>
    <message>
        <source>Место по типам файлов</source>
        <translation>Space by file type</translation>
    </message>
    <message>
        <source>Найденные файлы выбранного типа</source>
        <translation>Found files of the chosen type</translation>
    </message>
    <message>
        <source>Отметить/Снять всё</source>
        <translation>Tick/Untick all</translation>
    </message>
    <message>
        <source>Отметить или снять все файлы выбранного типа</source>
        <translation>Tick or untick all files of the chosen type</translation>
    </message>
    <message>
        <source>Все найденные файлы:</source>
        <translation>All found files:</translation>
    </message>
    <message>
        <source>Файлы типа «%1»:</source>
        <translation>Files of the type “%1”:</translation>
    </message>
    <message>
        <source>Всего</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>Тип файлов</source>
        <translation>File type</translation>
    </message>
    <message>
        <source>Файлов</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>&amp;Файл</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Вид</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>По &amp;типам</source>
        <translation>By &amp;type</translation>
    </message>
    <message>
        <source>&amp;Сервис</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>Удалять в Корзину</source>
        <translation>Delete to the Trash</translation>
    </message>
    <message>
        <source>Вернуть удалённое</source>
        <translation>Restore deleted files</translation>
    </message>
    <message>
        <source>&amp;Исключения…</source>
        <translation>&amp;Exclusions…</translation>
    </message>
    <message>
        <source>&amp;Справка</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Web сайт</source>
        <translation>&amp;Web site</translation>
    </message>
    <message>
        <source>Восстановить</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>На месте файла «%1» находится не обычный файл (устройство, канал или сокет), и список типов файлов не записан поверх него. Список сохранён в «%2»; программа будет читать его оттуда.</source>
        <translation>In place of the file “%1” there is something that is not a regular file (a device, a pipe or a socket), and the list of file types was not written over it. The list was saved to “%2”; the program will read it from there.</translation>
    </message>
    <message>
        <source>

Список типов файлов не сохранён. Выйти из программы без сохранения? Файл списка останется прежним.</source>
        <translation>

The list of file types was not saved. Quit the program without saving? The list file will stay as it was.</translation>
    </message>
    <message>
        <source>Статистика не сохранена: %1 Работа продолжается; до конца сеанса это сообщение больше не появится.</source>
        <translation>The statistics were not saved: %1 Work goes on; this message will not appear again until the program is restarted.</translation>
    </message>
    <message>
        <source>Ничего не выбрано?</source>
        <translation>Nothing selected?</translation>
    </message>
    <message>
        <source>Остановить</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Остановить удаление после текущего файла (Esc)</source>
        <translation>Stop the deletion after the current file (Esc)</translation>
    </message>
    <message>
        <source>Удаление файла: </source>
        <translation>Deleting file: </translation>
    </message>
    <message>
        <source>Не удалось сохранить список файлов, удалённых в Корзину: вернуть их можно будет только из Корзины</source>
        <translation>The list of files deleted to the Trash could not be saved: they can be restored only from the Trash itself</translation>
    </message>
    <message>
        <source>Внимание!</source>
        <translation>Attention!</translation>
    </message>
    <message>
        <source>Не удалось сохранить настройку «Удалять в Корзину»: она действует до выхода из программы</source>
        <translation>The setting “Delete to the Trash” could not be saved: it holds until the program closes</translation>
    </message>
    <message>
        <source>Возвращаем удалённые файлы из Корзины…</source>
        <translation>Restoring deleted files from the Trash…</translation>
    </message>
    <message>
        <source>Возвращено файлов: %1.</source>
        <translation>Files restored: %1.</translation>
    </message>
    <message>
        <source>Нет файлов для удаления!</source>
        <translation>No files to delete!</translation>
    </message>
    <message>
        <source>Внимание!!!</source>
        <translation>Attention!!!</translation>
    </message>
    <message>
        <source>Вы уверены, что хотите удалить выбраные файлы?</source>
        <translation>Are you sure you want to delete the selected files?</translation>
    </message>
    <message>
        <source>Только файлы &amp;старше</source>
        <translation>Only files &amp;older than</translation>
    </message>
    <message>
        <source> дн.</source>
        <translation> days</translation>
    </message>
    <message>
        <source>0 — файлы любого возраста</source>
        <translation>0 — files of any age</translation>
    </message>
    <message>
        <source>Не предлагать этот &amp;файл</source>
        <translation>Never offer this &amp;file</translation>
    </message>
    <message>
        <source>Не предлагать эту &amp;папку</source>
        <translation>Never offer this f&amp;older</translation>
    </message>
    <message>
        <source>Список исключений не сохранён в «%1»; файлы остаются в списке.</source>
        <translation>The exclusions were not saved to “%1”; the files stay in the list.</translation>
    </message>
    <message>
        <source>Ищем файлы в: </source>
        <translation>Searching in: </translation>
    </message>
    <message>
        <source>Сканирование окончено</source>
        <translation>Scan finished</translation>
    </message>
    <message>
        <source>Не хватило памяти: сканирование остановлено. В списке только файлы, найденные до остановки</source>
        <translation>Out of memory: the scan was stopped. The list holds only the files found before it stopped</translation>
    </message>
    <message>
        <source>Не указано расширение файла!</source>
        <translation>No file extension given!</translation>
    </message>
    <message>
        <source>В списке уже %1 типов файлов, больше в нём не помещается. Удалите ненужные типы и добавьте этот снова.</source>
        <translation>The list already holds %1 file types and has no room for more. Delete types you do not need and add this one again.</translation>
    </message>
    <message>
        <source>Каждому программисту ЭВМ выдает то, что он заслуживает.</source>
        <translation>Every programmer gets from the computer what he deserves.</translation>
    </message>
    <message>
        <source>Текст не может быть длиннее %1 знаков.</source>
        <translation>The text cannot be longer than %1 characters.</translation>
    </message>
    <message>
        <source>Знак «%1» нельзя сохранить в списке: в кодовой странице 1251 его нет.</source>
        <translation>The character “%1” cannot be saved in the list: code page 1251 does not have it.</translation>
    </message>
    <message>
        <source>не найдена программа xdg-open, которая открывает файлы программами рабочего стола</source>
        <translation>the program xdg-open, which opens files with the desktop&apos;s programs, was not found</translation>
    </message>
    <message>
        <source>файла больше нет</source>
        <translation>the file is gone</translation>
    </message>
    <message>
        <source>на рабочем столе нет программы для файлов этого типа</source>
        <translation>the desktop has no program for files of this type</translation>
    </message>
    <message>
        <source>программа для файлов этого типа не смогла его открыть</source>
        <translation>the program for files of this type could not open it</translation>
    </message>
    <message>
        <source>программа открытия файлов завершилась с кодом %1</source>
        <translation>the file opener ended with code %1</translation>
    </message>
    <message>
        <source>Рабочий стол</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>Компьютер</source>
        <translation>Computer</translation>
    </message>
    <message>
        <source>Папки</source>
        <translation>Folders</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Вырезать</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>Копировать</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Вставить</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Переименовать</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Обновить</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Папку «%1» переименовать нельзя: файловая система этого не разрешает.</source>
        <translation>The folder “%1” cannot be renamed: the file system does not allow it.</translation>
    </message>
    <message>
        <source>%1 (копия)</source>
        <translation>%1 (copy)</translation>
    </message>
    <message>
        <source>%1 (копия %2)</source>
        <translation>%1 (copy %2)</translation>
    </message>
    <message>
        <source>Папку «%1» нельзя вставить в неё саму.</source>
        <translation>The folder “%1” cannot be pasted into itself.</translation>
    </message>
    <message>
        <source>В папке «%1» уже есть «%2». Вставить под именем «%3»?</source>
        <translation>The folder “%1” already holds “%2”. Paste as “%3”?</translation>
    </message>
    <message>
        <source>переместить в корзину</source>
        <translation>move to the Trash</translation>
    </message>
    <message>
        <source>Папку «%1» не удалось переместить в корзину</source>
        <translation>The folder “%1” could not be moved to the Trash</translation>
    </message>
    <message>
        <source>удалить</source>
        <translation>delete</translation>
    </message>
    <message>
        <source>Удалить папку «%1» со всем её содержимым безвозвратно?</source>
        <translation>Delete the folder “%1” with all its contents permanently?</translation>
    </message>
    <message>
        <source>Имя «%1» не годится для папки: оно не может быть пустым, быть «.» или «..» и содержать «/».</source>
        <translation>The name “%1” will not do for a folder: it cannot be empty, be “.” or “..”, or contain “/”.</translation>
    </message>
    <message>
        <source>Папку «%1» не удалось переименовать в «%2»</source>
        <translation>The folder “%1” could not be renamed to “%2”</translation>
    </message>
    <message>
        <source>Копирование «%1»…</source>
        <translation>Copying “%1”…</translation>
    </message>
    <message>
        <source>Перемещение «%1»…</source>
        <translation>Moving “%1”…</translation>
    </message>
    <message>
        <source>Удаление «%1»…</source>
        <translation>Deleting “%1”…</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>«%1» не удалось скопировать</source>
        <translation>“%1” could not be copied</translation>
    </message>
    <message>
        <source>«%1» не удалось переместить</source>
        <translation>“%1” could not be moved</translation>
    </message>
    <message>
        <source>«%1» не удалось удалить</source>
        <translation>“%1” could not be deleted</translation>
    </message>
    <message>
        <source>Файловая система</source>
        <translation>File system</translation>
    </message>
    <message>
        <source>Папку «%1» нельзя %2: к ней подключена файловая система. Сначала отключите её.</source>
        <translation>The folder “%1” cannot %2: a file system is mounted on it. Unmount it first.</translation>
    </message>
    <message>
        <source>Папку «%1» нельзя %2: в ней подключена другая файловая система («%3»). Сначала отключите её.</source>
        <translation>The folder “%1” cannot %2: another file system is mounted inside it (“%3”). Unmount it first.</translation>
    </message>
    <message>
        <source>Домашняя папка</source>
        <translation>Home folder</translation>
    </message>
    <message>
        <source>переместить</source>
        <translation>move</translation>
    </message>
    <message>
        <source>нет прав доступа</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>файловая система доступна только для чтения</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>занято системой или другой программой</source>
        <translation>in use by the system or another program</translation>
    </message>
    <message>
        <source>файл или папка не найдены</source>
        <translation>no such file or folder</translation>
    </message>
    <message>
        <source>файл или папка с таким именем уже есть</source>
        <translation>a file or folder of that name already exists</translation>
    </message>
    <message>
        <source>на диске нет места</source>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <source>слишком длинное имя</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>часть пути не является папкой</source>
        <translation>part of the path is not a folder</translation>
    </message>
    <message>
        <source>это папка</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>папка Корзины принадлежит другому пользователю или заменена ссылкой</source>
        <translation>the Trash folder belongs to another user or has been replaced by a link</translation>
    </message>
    <message>
        <source>в Корзине под этим именем теперь другой файл; он оставлен как есть</source>
        <translation>another file now lies in the Trash under this name; it was left as it is</translation>
    </message>
    <message>
        <source>Браузер %1 сейчас запущен: его кэш лучше удалять, когда браузер закрыт.</source>
        <translation>The browser %1 is running now: its cache is best deleted while the browser is closed.</translation>
    </message>
    <message>
        <source>Браузеры %1 сейчас запущены: их кэш лучше удалять, когда браузеры закрыты.</source>
        <translation>The browsers %1 are running now: their cache is best deleted while the browsers are closed.</translation>
    </message>
    <message>
        <source>В маске «%1» пустое имя папки (две «/» подряд или «/» в начале): такая маска ничего не найдёт.</source>
        <translation>The mask “%1” has an empty folder name (two “/” in a row or a “/” at the start): such a mask finds nothing.</translation>
    </message>
    <message>
        <source>Маска «%1» кончается на «/»: после последней «/» должна стоять маска имени файла, например «*».</source>
        <translation>The mask “%1” ends in “/”: a file name mask, such as “*”, must follow the last “/”.</translation>
    </message>
    <message>
        <source>В маске «%1» есть папка «.» или «..»: папок с такими именами при поиске не бывает, маска ничего не найдёт.</source>
        <translation>The mask “%1” has a folder “.” or “..”: a scan never meets folders of such names, so the mask finds nothing.</translation>
    </message>
    <message>
        <source>В маске «%1» больше %2 папок: такая маска ничего не найдёт.</source>
        <translation>The mask “%1” has more than %2 folders: such a mask finds nothing.</translation>
    </message>
    <message>
        <source>Неверный тип данных «%1»</source>
        <translation>Wrong data type of “%1”</translation>
    </message>
    <message>
        <source>Не удалось создать раздел %1</source>
        <translation>Could not create the key %1</translation>
    </message>
    <message>
        <source>Не удалось записать данные «%1»</source>
        <translation>Could not write the value “%1”</translation>
    </message>
    <message>
        <source>Не удалось прочитать данные «%1»</source>
        <translation>Could not read the value “%1”</translation>
    </message>
    <message>
        <source>Корзина: %1 файлов(ла), %2KB</source>
        <translation>Trash: %1 file(s), %2KB</translation>
    </message>
    <message>
        <source>папка на пути к прежнему месту заменена ссылкой или файлом; удалённый оставлен в Корзине</source>
        <translation>a folder on the way to its former place has been replaced by a link or a file; the deleted one stays in the Trash</translation>
    </message>
    <message>
        <source>папки на пути к прежнему месту больше нет; удалённый оставлен в Корзине</source>
        <translation>a folder on the way to its former place is gone; the deleted one stays in the Trash</translation>
    </message>
    <message>
        <source>Неизвестная ошибка</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>Очистить &amp;Корзину…</source>
        <translation>Empty the &amp;Trash…</translation>
    </message>
    <message>
        <source>Корзина: подсчёт…</source>
        <translation>Trash: counting…</translation>
    </message>
    <message>
        <source>Очистить Корзину</source>
        <translation>Empty the Trash</translation>
    </message>
    <message>
        <source>Корзина пуста.</source>
        <translation>The Trash is empty.</translation>
    </message>
    <message>
        <source>Удалить из Корзины навсегда %1 файлов(ла), %2KB?</source>
        <translation>Delete %1 file(s), %2KB, from the Trash for good?</translation>
    </message>
    <message>
        <source>

Среди них файлы, удалённые в Корзину последним удалением: вернуть их командой «Вернуть удалённое» будет нельзя.</source>
        <translation>

Among them are the files the last deletion moved to the Trash: “Restore deleted files” will no longer bring them back.</translation>
    </message>
    <message>
        <source>Очищаем Корзину…</source>
        <translation>Emptying the Trash…</translation>
    </message>
    <message>
        <source>Не удалось удалить из Корзины %1 файлов(ла) или папок: %2</source>
        <translation>Could not delete %1 file(s) or folders from the Trash: %2</translation>
    </message>
    <message>
        <source>%1Не удалось очистить список файлов, удалённых в Корзину («%2»).</source>
        <translation>%1Could not clear the list of files deleted to the Trash (“%2”).</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Не удалось создать значок в области уведомлений</source>
        <translation>Could not create the icon in the notification area</translation>
    </message>
    <message>
        <source>Не удалось убрать значок из области уведомлений</source>
        <translation>Could not remove the icon from the notification area</translation>
    </message>
    <message>
        <source>файл слишком велик</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>открыто слишком много файлов</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>на пути слишком много ссылок</source>
        <translation>too many links on the way</translation>
    </message>
    <message>
        <source>ошибка ввода-вывода</source>
        <translation>input/output error</translation>
    </message>
    <message>
        <source>Не удалось открыть файл «%1». %2</source>
        <translation>Could not open the file “%1”. %2</translation>
    </message>
    <message>
        <source>Не удалось создать файл «%1». %2</source>
        <translation>Could not create the file “%1”. %2</translation>
    </message>
    <message>
        <source>Не удалось прочитать файл «%1». %2</source>
        <translation>Could not read the file “%1”. %2</translation>
    </message>
    <message>
        <source>это не обычный файл</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>Таймер остался выключен.</source>
        <translation>The timer is still off.</translation>
    </message>
    <message>
        <source>Таймер остался включён.</source>
        <translation>The timer is still on.</translation>
    </message>
    <message>
        <source>Не найдена программа systemctl.</source>
        <translation>The systemctl program was not found.</translation>
    </message>
    <message>
        <source>systemctl не ответил за %1 с.</source>
        <translation>systemctl did not answer within %1 s.</translation>
    </message>
    <message>
        <source>Нет связи со службой systemd пользователя.</source>
        <translation>The user&apos;s systemd service manager cannot be reached.</translation>
    </message>
    <message>
        <source>Таймер %1 не установлен.</source>
        <translation>The timer %1 is not installed.</translation>
    </message>
    <message>
        <source>systemctl завершился аварийно.</source>
        <translation>systemctl crashed.</translation>
    </message>
    <message>
        <source>systemctl завершился с кодом %1.</source>
        <translation>systemctl ended with code %1.</translation>
    </message>
    <message>
        <source>Чисток без окна ещё не было</source>
        <translation>No clean without the window yet</translation>
    </message>
    <message>
        <source>Последняя чистка без окна: %1, удалено файлов: %2 (%3 KB)</source>
        <translation>Last clean without the window: %1, files deleted: %2 (%3 KB)</translation>
    </message>
    <message>
        <source>Чистить по расписанию</source>
        <translation>Clean on a schedule</translation>
    </message>
    <message>
        <source>Следующая чистка: %1</source>
        <translation>Next clean: %1</translation>
    </message>
    <message>
        <source>Чистка по расписанию включена.</source>
        <translation>Scheduled cleaning is on.</translation>
    </message>
    <message>
        <source>Чистка по расписанию выключена.</source>
        <translation>Scheduled cleaning is off.</translation>
    </message>
    <message>
        <source>Не удалось включить чистку по расписанию.</source>
        <translation>Could not turn scheduled cleaning on.</translation>
    </message>
    <message>
        <source>Не удалось выключить чистку по расписанию.</source>
        <translation>Could not turn scheduled cleaning off.</translation>
    </message>
    <message>
        <source>неизвестный параметр «%1»</source>
        <translation>unknown option “%1”</translation>
    </message>
    <message>
        <source>папка может быть только одна</source>
        <translation>only one folder may be given</translation>
    </message>
    <message>
        <source>Использование: dustmote [ПАРАМЕТР]... [ПАПКА]
Ищет ненужные файлы по списку типов и удаляет отмеченные. ПАПКА сразу
выбирается в дереве папок.

  -h, --help     показать эту справку и выйти
      --version  показать версию и выйти

Чистка без окна: dustmote-clean --help
</source>
        <translation>Usage: dustmote [OPTION]... [FOLDER]
Finds junk files by a list of types and deletes the ticked ones. FOLDER is
chosen in the folder tree at once.

  -h, --help     show this help and exit
      --version  show the version and exit

Cleaning without the window: dustmote-clean --help
</translation>
    </message>
    <message>
        <source>Использование: dustmote [ПАРАМЕТР]... [ПАПКА]
Подробнее: dustmote --help
</source>
        <translation>Usage: dustmote [OPTION]... [FOLDER]
More: dustmote --help
</translation>
    </message>
    <message>
        <source>В списке типов файлов «%1» нет ни одного типа</source>
        <translation>The list of file types “%1” has no type</translation>
    </message>
    <message>
        <source>dustmote-clean: в списке нет типа «%1»; все типы: dustmote-clean --list-types</source>
        <translation>dustmote-clean: the list has no type “%1”; all types: dustmote-clean --list-types</translation>
    </message>
    <message>
        <source>после --types нужны названия типов через запятую или all</source>
        <translation>--types needs type names separated by commas, or all</translation>
    </message>
    <message>
        <source>после --older-than нужно число дней от 0 до %1</source>
        <translation>--older-than needs a number of days from 0 to %1</translation>
    </message>
    <message>
        <source>не указана папка для чистки</source>
        <translation>no folder to clean was given</translation>
    </message>
    <message>
        <source>--print0 действует только вместе с --preview</source>
        <translation>--print0 works only together with --preview</translation>
    </message>
    <message>
        <source>Использование: dustmote-clean [ПАРАМЕТР]... ПАПКА...
Удаляет ненужные файлы в ПАПКАХ и всех папках под ними по списку типов
файлов Dustmote, без окна: по умолчанию в Корзину, без файлов и папок из
исключений и без самой Корзины.

      --list-types       показать типы файлов из списка с их номерами и выйти
      --types=ТИПЫ       чистить только эти типы: названия или номера через
                         запятую; all — все типы списка (по умолчанию)
      --older-than=ДНИ   только файлы старше стольких дней (0 — любые);
                         по умолчанию — как «Только файлы старше» в окне
      --preview          только показать, что будет удалено (путь и размер)
                         и сколько всего; ничего не удалять
      --print0           вместе с --preview: только пути, каждый с нулевым
                         байтом в конце, для других программ
      --permanent        удалять безвозвратно, не в Корзину
  -h, --help             показать эту справку и выйти
      --version          показать версию и выйти

Удалённое в Корзину возвращает «Сервис → Вернуть удалённое» в окне Dustmote.
Ctrl+C останавливает чистку после текущего файла.

Коды выхода: 0 — готово; 1 — часть файлов удалить не удалось (они названы
с причиной); 2 — ошибка в параметрах или списке типов; 130 — остановлено.
</source>
        <translation>Usage: dustmote-clean [OPTION]... FOLDER...
Deletes junk files in the FOLDERs and all folders below them by the Dustmote
list of file types, without the window: to the Trash by default, leaving out the
exclusions and the Trash itself.

      --list-types       show the list&apos;s file types with their numbers and exit
      --types=TYPES      clean only these types: names or numbers separated by
                         commas; all — every type of the list (the default)
      --older-than=DAYS  only files older than so many days (0 — any age);
                         by default as “Only files older than” in the window
      --preview          only show what would be deleted (path and size) and
                         the total; delete nothing
      --print0           with --preview: only the paths, each ending in a zero
                         byte, for other programs
      --permanent        delete for good, not to the Trash
  -h, --help             show this help and exit
      --version          show the version and exit

“Tools → Restore deleted files” in the Dustmote window brings back what went to the Trash.
Ctrl+C stops the clean after the current file.

Exit codes: 0 — done; 1 — some files could not be deleted (they are named
with the reason); 2 — an error in the options or the list of types; 130 — stopped.
</translation>
    </message>
    <message>
        <source>Использование: dustmote-clean [ПАРАМЕТР]... ПАПКА...
Подробнее: dustmote-clean --help
</source>
        <translation>Usage: dustmote-clean [OPTION]... FOLDER...
More: dustmote-clean --help
</translation>
    </message>
    <message>
        <source>Папок: %1, найдено файлов: %2 (%3 KB) — </source>
        <translation>Folders: %1, files found: %2 (%3 KB) — </translation>
    </message>
    <message>
        <source>Удалено: %1 из %2 — </source>
        <translation>Deleted: %1 of %2 — </translation>
    </message>
    <message>
        <source>«%1» — не папка или не найдена</source>
        <translation>“%1” is not a folder or was not found</translation>
    </message>
    <message>
        <source>Ненужных файлов не найдено.</source>
        <translation>No junk files found.</translation>
    </message>
    <message>
        <source>Остановлено: остальные файлы не тронуты.</source>
        <translation>Stopped: the other files were left alone.</translation>
    </message>
    <message>
        <source>Остановлено: ничего не удалено.</source>
        <translation>Stopped: nothing was deleted.</translation>
    </message>
    <message>
        <source>Удалено файлов: %1 (%2 KB) — %3.</source>
        <translation>Files deleted: %1 (%2 KB) — %3.</translation>
    </message>
    <message>
        <source>Папка «%1» не найдена</source>
        <translation>The folder “%1” was not found</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Dustmote 3.1</source>
        <translation>Dustmote 3.1</translation>
    </message>
    <message>
        <source>Первый шаг</source>
        <translation>Step one</translation>
    </message>
    <message>
        <source>Выберите типы файлов для удаления</source>
        <translation>Choose the types of files to delete</translation>
    </message>
    <message>
        <source>Второй шаг</source>
        <translation>Step two</translation>
    </message>
    <message>
        <source>Выберите диск или директорию для поиска ненужных файлов</source>
        <translation>Choose a drive or folder to search for junk files</translation>
    </message>
    <message>
        <source>Третий шаг</source>
        <translation>Step three</translation>
    </message>
    <message>
        <source>Найденые файлы</source>
        <translation>Found files</translation>
    </message>
    <message>
        <source>Информация</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Типы файлов</source>
        <translation>File types</translation>
    </message>
    <message>
        <source>Описание</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Тип файла</source>
        <translation>File type</translation>
    </message>
    <message>
        <source>Отметить/Снять всё</source>
        <translation>Tick/Untick all</translation>
    </message>
    <message>
        <source>Добавить свой тип файла</source>
        <translation>Add your own file type</translation>
    </message>
    <message>
        <source>Удалить выделенное</source>
        <translation>Delete selected</translation>
    </message>
    <message>
        <source>Диски</source>
        <translation>Drives</translation>
    </message>
    <message>
        <source>Выберите диск или директорию для очистки:</source>
        <translation>Choose a drive or folder to clean:</translation>
    </message>
    <message>
        <source>Выберите диск или директорию для очистки</source>
        <translation>Choose a drive or folder to clean</translation>
    </message>
    <message>
        <source>Найденные файлы</source>
        <translation>Found files</translation>
    </message>
    <message>
        <source>Файлы занимают: </source>
        <translation>Files take up: </translation>
    </message>
    <message>
        <source>Удалить выделенные</source>
        <translation>Delete selected</translation>
    </message>
    <message>
        <source>DmLabel2</source>
        <translation>DmLabel2</translation>
    </message>
    <message>
        <source>DmLabel3</source>
        <translation>DmLabel3</translation>
    </message>
    <message>
        <source>DmLabel4</source>
        <translation>DmLabel4</translation>
    </message>
    <message>
        <source>Web-страничка программы:</source>
        <translation>The program&apos;s web page:</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>&amp;Файл</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Панель инструментов</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>&amp;Вид</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>Строка состояния</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>Запуск сканирования</source>
        <translation>Start scan</translation>
    </message>
    <message>
        <source>&amp;Сервис</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>Остановить сканирование</source>
        <translation>Stop scan</translation>
    </message>
    <message>
        <source>Настройки...</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>Вызов справки</source>
        <translation>Help topics</translation>
    </message>
    <message>
        <source>&amp;Справка</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Web сайт</source>
        <translation>Web site</translation>
    </message>
    <message>
        <source>Минимизировать в трей</source>
        <translation>Minimize to tray</translation>
    </message>
    <message>
        <source>Загрузить список</source>
        <translation>Load list</translation>
    </message>
    <message>
        <source>Сохранить список</source>
        <translation>Save list</translation>
    </message>
    <message>
        <source>Не удалось открыть файл «%1»: %2.</source>
        <translation>The file “%1” could not be opened: %2.</translation>
    </message>
    <message>
        <source>Шаги</source>
        <translation>Steps</translation>
    </message>
</context>
<context>
    <name>TForm2</name>
    <message>
        <source>Новый тип файла</source>
        <translation>New file type</translation>
    </message>
    <message>
        <source>Описание </source>
        <translation>Description </translation>
    </message>
    <message>
        <source>Расширение (Пример: *.txt, *.bmp, *.log)</source>
        <translation>Extension (for example: *.txt, *.bmp, *.log)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TForm3</name>
    <message>
        <source>О программе [Dustmote]</source>
        <translation>About [Dustmote]</translation>
    </message>
    <message>
        <source>Dustmote 3.1</source>
        <translation>Dustmote 3.1</translation>
    </message>
    <message>
        <source>Автор: команда разработчиков Dustmote</source>
        <translation>Author: the Dustmote development team</translation>
    </message>
    <message>
        <source>Программа предназначена для очистки вашего компьютера от всевозможных мусорных файлов</source>
        <translation>The program cleans your computer of all kinds of junk files</translation>
    </message>
    <message>
        <source>Условия соглашения</source>
        <translation>Terms of use</translation>
    </message>
    <message>
        <source>© 2026 Команда Dustmote</source>
        <translation>© 2026 The Dustmote team</translation>
    </message>
</context>
<context>
    <name>TForm4</name>
    <message>
        <source>Каждому программисту ЭВМ выдает то, что он заслуживает.</source>
        <translation>Every programmer gets from the computer what he deserves.</translation>
    </message>
</context>
</TS>
