<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>ActingUser</name>
    <message>
        <source>ユーザーの権限に切り替えられません。</source>
        <translation>Cannot switch to the user&apos;s rights.</translation>
    </message>
    <message>
        <source>ユーザーの権限で実行できません。</source>
        <translation>Cannot run with the user&apos;s rights.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; はユーザーのフォルダではありません</source>
        <translation>&quot;%1&quot; is not the user&apos;s folder</translation>
    </message>
    <message>
        <source>不正なパスです: %1</source>
        <translation>Invalid path: %1</translation>
    </message>
    <message>
        <source>%1 はユーザーのファイルではありません</source>
        <translation>%1 is not the user&apos;s file</translation>
    </message>
    <message>
        <source>%1 はユーザーの通常のファイルではありません</source>
        <translation>%1 is not a regular file of the user</translation>
    </message>
    <message>
        <source>%1 の途中にユーザーのものではないフォルダかリンクがあります</source>
        <translation>A folder or link on the way to %1 does not belong to the user</translation>
    </message>
    <message>
        <source>ユーザーの権限での処理が時間内に終わりませんでした。</source>
        <translation>The work with the user&apos;s rights did not end in time.</translation>
    </message>
    <message>
        <source>作業フォルダはユーザーのフォルダではありません</source>
        <translation>the working folder is not the user&apos;s folder</translation>
    </message>
</context>
<context>
    <name>AnsiCodec</name>
    <message>
        <source>文字コード変換を開始できません: %1 -&gt; %2</source>
        <translation>Cannot start the character conversion: %1 -&gt; %2</translation>
    </message>
    <message>
        <source>対応していないコードページです: %1</source>
        <translation>Unsupported code page: %1</translation>
    </message>
    <message>
        <source>文字列を変換できません: %1</source>
        <translation>Cannot convert the text: %1</translation>
    </message>
    <message>
        <source>文字列をシステムの文字コードで表せません: %1</source>
        <translation>The text cannot be written in the system&apos;s character set: %1</translation>
    </message>
    <message>
        <source>文字列を UTF-8 として読めません</source>
        <translation>The text is not valid UTF-8</translation>
    </message>
    <message>
        <source>文字列をシステムの文字コードから変換できません</source>
        <translation>Cannot convert the text from the system&apos;s character set</translation>
    </message>
    <message>
        <source>書庫内のファイル名を %1 として読めません</source>
        <translation>Cannot read the file names in the archive as %1</translation>
    </message>
</context>
<context>
    <name>ArchiveFile</name>
    <message>
        <source>書庫の形式を特定できませんでした。</source>
        <translation>Could not identify the archive format.</translation>
    </message>
    <message>
        <source>書庫の形式を判別できません。</source>
        <translation>Cannot tell the archive format.</translation>
    </message>
    <message>
        <source>これはそれ自体がインストーラーです (%1)。書庫ではないため開けません。wine で実行してインストールしてください。</source>
        <translation>This is an installer of its own (%1), not an archive, so it cannot be opened. Run it with wine to install it.</translation>
    </message>
</context>
<context>
    <name>ArchiveOpening</name>
    <message>
        <source>アーカイブの展開は取り消されました。</source>
        <translation>The extraction of the archive was cancelled.</translation>
    </message>
    <message>
        <source>ファイルが不正か、または非対応のアーカイブです。</source>
        <translation>The file is damaged or not a supported archive.</translation>
    </message>
    <message>
        <source>%1 に作業フォルダを作成できません。</source>
        <translation>Cannot create a working folder in %1.</translation>
    </message>
</context>
<context>
    <name>Archiver</name>
    <message>
        <source>この形式では書庫ファイルの作成をサポートしておりません。</source>
        <translation>This format does not support creating archives.</translation>
    </message>
    <message>
        <source>この形式の書庫ではファイルの削除をサポートしておりません。</source>
        <translation>This archive format does not support deleting files.</translation>
    </message>
    <message>
        <source>この形式の書庫では書庫の更新をサポートしておりません。</source>
        <translation>This archive format does not support updating archives.</translation>
    </message>
    <message>
        <source>この形式では自己解凍書庫の作成をサポートしておりません。</source>
        <translation>This format does not support creating self-extracting archives.</translation>
    </message>
    <message>
        <source>この形式ではメモリ展開をサポートしておりません。</source>
        <translation>This format does not support extracting to memory.</translation>
    </message>
</context>
<context>
    <name>ArchiverDll</name>
    <message>
        <source>%1 を扱うには %2 が 必要です。</source>
        <translation>%2 is needed to handle %1.</translation>
    </message>
    <message>
        <source>%1 に %2 のエントリが見つかりません。</source>
        <translation>The entry %2 was not found in %1.</translation>
    </message>
</context>
<context>
    <name>Archives</name>
    <message>
        <source>%1 書庫からの%2自己解凍書庫の作成には &apos;%3&apos; ファイルが必要です。</source>
        <translation>Creating a %2 self-extracting archive from a %1 archive needs the file &apos;%3&apos;.</translation>
    </message>
</context>
<context>
    <name>Arj32</name>
    <message>
        <source>ARJ 形式書庫</source>
        <translation>ARJ archives</translation>
    </message>
</context>
<context>
    <name>AtomicFile</name>
    <message>
        <source>ロックファイル &quot;%1&quot; を作成できません: %2</source>
        <translation>Cannot create the lock file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; をロックできません: %2</source>
        <translation>Cannot lock the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を作成できません: %2</source>
        <translation>Cannot create the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; は書き込み用に開かれていません</source>
        <translation>The file &quot;%1&quot; is not open for writing</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; に書き込めません: %2</source>
        <translation>Cannot write to the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を置き換えられません: %2</source>
        <translation>Cannot replace the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を開けません: %2</source>
        <translation>Cannot open the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を読めません: 通常のファイルでないか、大きすぎます</source>
        <translation>Cannot read the file &quot;%1&quot;: not a regular file, or too large</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を読めません: 大きすぎます</source>
        <translation>Cannot read the file &quot;%1&quot;: too large</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を読めません: %2</source>
        <translation>Cannot read the file &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>Bga32</name>
    <message>
        <source>BGA 形式書庫</source>
        <translation>BGA archives</translation>
    </message>
</context>
<context>
    <name>Cab32</name>
    <message>
        <source>CAB 形式書庫</source>
        <translation>CAB archives</translation>
    </message>
</context>
<context>
    <name>CmdOpt</name>
    <message>
        <source>二重引用符または改行を含む名前は書庫ライブラリに渡せません: %1</source>
        <translation>A name with double quotes or line breaks cannot be passed to the archiver library: %1</translation>
    </message>
    <message>
        <source>応答ファイル %1 を作成できません。</source>
        <translation>Cannot create the response file %1.</translation>
    </message>
    <message>
        <source>応答ファイル %1 に書き込めません。</source>
        <translation>Cannot write to the response file %1.</translation>
    </message>
</context>
<context>
    <name>CtlHook</name>
    <message>
        <source>フック先を特定できません。</source>
        <translation>Cannot find the window to hook.</translation>
    </message>
</context>
<context>
    <name>Download</name>
    <message>
        <source>%1 を取得できません: %2</source>
        <translation>Cannot fetch %1: %2</translation>
    </message>
    <message>
        <source>取り消されました</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>%1 バイトを超えています</source>
        <translation>larger than %1 bytes</translation>
    </message>
    <message>
        <source>書き込めません</source>
        <translation>cannot write it</translation>
    </message>
    <message>
        <source>https から http への転送は拒否します</source>
        <translation>a redirect from https to http is refused</translation>
    </message>
    <message>
        <source>転送が多すぎます</source>
        <translation>too many redirects</translation>
    </message>
    <message>
        <source>URL ではありません</source>
        <translation>not a URL</translation>
    </message>
    <message>
        <source>暗号化されていない http は使いません (https にしてください)</source>
        <translation>plain http is not used (use https)</translation>
    </message>
    <message>
        <source>%1 は使えません (https だけです)</source>
        <translation>%1 cannot be used (https only)</translation>
    </message>
    <message>
        <source>%1 を作成できません</source>
        <translation>cannot create %1</translation>
    </message>
    <message>
        <source>途中から再開できません</source>
        <translation>the download cannot be resumed</translation>
    </message>
</context>
<context>
    <name>FileMember</name>
    <message>
        <source>%1 バイト</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>リストのインデックスが範囲を超えています (%1)</source>
        <translation>List index out of range (%1)</translation>
    </message>
    <message>
        <source>%1のヘルプ</source>
        <translation>%1 Help</translation>
    </message>
</context>
<context>
    <name>FileTransfer</name>
    <message>
        <source>ファイル &quot;%1&quot; を読めません: %2</source>
        <translation>Cannot read the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を作成できません: %2</source>
        <translation>Cannot create the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を開けません: %2</source>
        <translation>Cannot open the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; は通常のファイルではありません</source>
        <translation>The file &quot;%1&quot; is not a regular file</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; に書き込めません: %2</source>
        <translation>Cannot write to the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を置き換えられません: %2</source>
        <translation>Cannot replace the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; を作成できません: %2</source>
        <translation>Cannot create the folder &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>FolderCheck</name>
    <message>
        <source>インストール先が正しくありません</source>
        <translation>The install folder is not valid</translation>
    </message>
    <message>
        <source>ショートカット作成先が正しくありません</source>
        <translation>The shortcut folder is not valid</translation>
    </message>
    <message>
        <source>インストール先が指定されていません</source>
        <translation>No install folder given</translation>
    </message>
    <message>
        <source>インストール先フォルダを指定してください。</source>
        <translation>Please choose an install folder.</translation>
    </message>
    <message>
        <source>パスが指定されていません</source>
        <translation>No path given</translation>
    </message>
    <message>
        <source>ショートカット作成先フォルダのパスを入力してください。</source>
        <translation>Please enter the path of the folder for the shortcuts.</translation>
    </message>
    <message>
        <source>%1 は相対パスです。インストール先フォルダは / から始まる絶対パスで指定してください。</source>
        <translation>%1 is a relative path. Please give the install folder as an absolute path starting with /.</translation>
    </message>
    <message>
        <source>%1 は相対パスです。ショートカット作成先フォルダは / から始まる絶対パスで指定してください。</source>
        <translation>%1 is a relative path. Please give the shortcut folder as an absolute path starting with /.</translation>
    </message>
    <message>
        <source>ファイルシステムのルート (/) にはインストールできません。アプリケーションのフォルダを指定してください。</source>
        <translation>Nothing can be installed into the root of the file system (/). Please choose a folder for the application.</translation>
    </message>
    <message>
        <source>%1 は &quot;..&quot; を含んでいます。&quot;..&quot; を使わないパスで指定してください。</source>
        <translation>%1 contains &quot;..&quot;. Please give a path without &quot;..&quot;.</translation>
    </message>
    <message>
        <source>このフォルダは使えません</source>
        <translation>This folder cannot be used</translation>
    </message>
    <message>
        <source>%1 はシステムのフォルダ (/proc, /sys, /dev, /run) の下にあり、ファイルを置けません。</source>
        <translation>%1 lies below a system folder (/proc, /sys, /dev, /run), where no files can be placed.</translation>
    </message>
    <message>
        <source>%1 は読み取り専用のファイルシステムにあり、書き込めません。</source>
        <translation>%1 is on a read-only file system and cannot be written to.</translation>
    </message>
    <message>
        <source>書き込む権限がありません</source>
        <translation>No permission to write</translation>
    </message>
    <message>
        <source>%1 に書き込む権限がありません。このフォルダへのインストールには管理者のパスワードが必要です。</source>
        <translation>You have no permission to write to %1. Installing into this folder needs the administrator&apos;s password.</translation>
    </message>
</context>
<context>
    <name>FolderDialog</name>
    <message>
        <source>
このフォルダを使いますか?</source>
        <translation>
Use this folder anyway?</translation>
    </message>
    <message>
        <source>参照(&amp;R)...</source>
        <translation>B&amp;rowse...</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>フォルダ %1 が見つかりません。</source>
        <translation>The folder %1 was not found.</translation>
    </message>
    <message>
        <source>%1 の中のフォルダを選択してください。</source>
        <translation>Please choose a folder inside %1.</translation>
    </message>
</context>
<context>
    <name>HandOff</name>
    <message>
        <source>インストールに失敗しました</source>
        <translation>Installation failed</translation>
    </message>
    <message>
        <source>インストーラを起動できません。</source>
        <translation>Cannot start the installer.</translation>
    </message>
    <message>
        <source>インストーラがエラーで終了しました (終了コード %1)。インストールは行われていません。</source>
        <translation>The installer ended with an error (exit code %1). Nothing was installed.</translation>
    </message>
    <message>
        <source>アンインストールの失敗</source>
        <translation>Uninstallation failed</translation>
    </message>
    <message>
        <source>アンインストールに失敗しました。</source>
        <translation>Uninstallation failed.</translation>
    </message>
    <message>
        <source>アンインストーラがエラーで終了しました (終了コード %1)。</source>
        <translation>The uninstaller ended with an error (exit code %1).</translation>
    </message>
    <message>
        <source>すべてのユーザーにインストールする権限がありません。管理者の権限で実行するための pkexec もありません。</source>
        <translation>You have no permission to install for all users, and pkexec, which would run the installer as administrator, is not there.</translation>
    </message>
    <message>
        <source>アンインストールはキャンセルされました。</source>
        <translation>The uninstallation was cancelled.</translation>
    </message>
    <message>
        <source>インストールはキャンセルされました。</source>
        <translation>The installation was cancelled.</translation>
    </message>
    <message>
        <source>インストールしました</source>
        <translation>Installed</translation>
    </message>
    <message>
        <source>古いバージョンの次のファイルは、アプリケーションのフォルダの外にあるため削除されませんでした:</source>
        <translation>These files of the old version were not removed because they lie outside the application&apos;s folder:</translation>
    </message>
    <message>
        <source>インストール先に書き込む権限がありません。管理者の権限で実行するための pkexec もありません (Debian ではパッケージ pkexec)。</source>
        <translation>You have no right to write to the install folder, and there is no pkexec to run with the administrator&apos;s rights (on Debian: the package pkexec).</translation>
    </message>
</context>
<context>
    <name>InstallAppInfo</name>
    <message>
        <source>メインプログラムがありません。</source>
        <translation>There is no main program.</translation>
    </message>
    <message>
        <source>メインプログラム &quot;%1&quot; は Linux のプログラム (ELF 形式かスクリプト) ではないため、コマンドにできません。</source>
        <translation>The main program &quot;%1&quot; cannot become a command: it is not a Linux program (ELF or a script).</translation>
    </message>
    <message>
        <source>コマンド &quot;%1&quot; はすでにあります (%2)。同じ名前のコマンドは作成しません。</source>
        <translation>A command &quot;%1&quot; exists already (%2). No command of the same name is made.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; はコマンドの名前にできません (空白や / を含まず、- で始まらない名前にしてください)。</source>
        <translation>&quot;%1&quot; cannot be a command name (use a name without blanks or /, not starting with -).</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; には別のアプリケーションがインストールされているため、&quot;%2&quot; にインストールします。</source>
        <translation>Another application is installed in the folder &quot;%1&quot;, so this one goes to &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>メインプログラムは Windows のプログラムです。実行には wine が必要です (Debian パッケージ &quot;wine&quot; をインストールしてください)。</source>
        <translation>The main program is a Windows program; it needs wine to run (install the Debian package &quot;wine&quot;).</translation>
    </message>
    <message>
        <source>メインプログラムは 32 ビットの Windows プログラムで、この wine (64 ビットのみ) では実行できません (i386 アーキテクチャを追加して Debian パッケージ &quot;wine32&quot; をインストールしてください)。</source>
        <translation>The main program is a 32-bit Windows program, which this wine (64-bit only) cannot run (add the i386 architecture and install the Debian package &quot;wine32&quot;).</translation>
    </message>
    <message>
        <source>メインプログラムは 64 ビットの Windows プログラムで、この wine では実行できません (Debian パッケージ &quot;wine64&quot; をインストールしてください)。</source>
        <translation>The main program is a 64-bit Windows program, which this wine cannot run (install the Debian package &quot;wine64&quot;).</translation>
    </message>
</context>
<context>
    <name>InstallList</name>
    <message>
        <source>リストのインデックスが範囲を超えています (%1)</source>
        <translation>List index out of range (%1)</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; を作成できません。</source>
        <translation>Cannot create the folder &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>InstallOption</name>
    <message>
        <source>%1: 不正なスイッチ値</source>
        <translation>%1: invalid switch value</translation>
    </message>
    <message>
        <source>%1: 範囲外の設定値</source>
        <translation>%1: setting out of range</translation>
    </message>
</context>
<context>
    <name>Installer</name>
    <message>
        <source>作業フォルダ &quot;%1&quot; がありません。</source>
        <translation>The working folder &quot;%1&quot; does not exist.</translation>
    </message>
    <message>
        <source>不正なファイル名です: %1</source>
        <translation>Invalid file name: %1</translation>
    </message>
    <message>
        <source>不正なインストール先です: %1 (%2)</source>
        <translation>Invalid install destination: %1 (%2)</translation>
    </message>
    <message>
        <source>作業フォルダにファイル &quot;%1&quot; がありません。</source>
        <translation>The file &quot;%1&quot; is missing from the working folder.</translation>
    </message>
    <message>
        <source>インストールはキャンセルされました。</source>
        <translation>The installation was cancelled.</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; を作成できません: 同じ名前のファイルがあります</source>
        <translation>Cannot create the folder &quot;%1&quot;: a file of the same name exists</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; を作成できません</source>
        <translation>Cannot create the folder &quot;%1&quot;</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; の元の内容を保存できません</source>
        <translation>Cannot save the original contents of the file &quot;%1&quot;</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を作成できません: 同じ名前のフォルダがあります</source>
        <translation>Cannot create the file &quot;%1&quot;: a folder of the same name exists</translation>
    </message>
    <message>
        <source>バックアップ &quot;%1&quot; を作成できません</source>
        <translation>Cannot create the backup &quot;%1&quot;</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を削除できません</source>
        <translation>Cannot delete the file &quot;%1&quot;</translation>
    </message>
    <message>
        <source>リンク &quot;%1&quot; を作成できません</source>
        <translation>Cannot create the link &quot;%1&quot;</translation>
    </message>
    <message>
        <source>データベース &quot;%1&quot; の元の内容を保存できません</source>
        <translation>Cannot save the original contents of the database &quot;%1&quot;</translation>
    </message>
    <message>
        <source>インストール先 &quot;%1&quot; には、管理者の権限でインストールできません。すべてのユーザー向けのアプリケーションは、システムのプログラムフォルダの中の、そのアプリケーション自身のフォルダにだけインストールされます。</source>
        <translation>Cannot install into &quot;%1&quot; with the administrator&apos;s rights. An application for all users is installed only into its own folder in the system&apos;s programs folder.</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; は管理者だけのフォルダではないか、途中にリンクがあります</source>
        <translation>The folder &quot;%1&quot; is not the administrator&apos;s alone, or there is a link on the way</translation>
    </message>
    <message>
        <source>&quot;%1&quot; は別のアプリケーションのものなので、置き換えませんでした。</source>
        <translation>&quot;%1&quot; belongs to another application and was not replaced.</translation>
    </message>
    <message>
        <source>コマンド &quot;%1&quot; はすでにあるため (%2)、作成しませんでした。</source>
        <translation>The command &quot;%1&quot; was not made, because one exists already (%2).</translation>
    </message>
    <message>
        <source>%1: %2, %3 バイト</source>
        <translation>%1: %2, %3 bytes</translation>
    </message>
    <message>
        <source>, バージョン %1</source>
        <translation>, version %1</translation>
    </message>
    <message>
        <source>インストール済み</source>
        <translation>Installed</translation>
    </message>
    <message>
        <source>新しいファイル</source>
        <translation>New file</translation>
    </message>
</context>
<context>
    <name>InstructionFiles</name>
    <message>
        <source>ファイル &quot;%1&quot; の保存先フォルダがありません。</source>
        <translation>The folder for the file &quot;%1&quot; does not exist.</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; を作成できません。</source>
        <translation>Cannot create the folder &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>削除するファイル名に改行文字が含まれています: %1</source>
        <translation>A file name to delete contains a line break: %1</translation>
    </message>
</context>
<context>
    <name>Instructions</name>
    <message>
        <source>指示ファイル &quot;%1&quot; がありません。</source>
        <translation>The instruction file &quot;%1&quot; does not exist.</translation>
    </message>
    <message>
        <source>指示ファイル &quot;%1&quot; のレコード長が一致しません。</source>
        <translation>The record length of the instruction file &quot;%1&quot; does not match.</translation>
    </message>
    <message>
        <source>指示ファイル &quot;%1&quot; を読めません: %2</source>
        <translation>Cannot read the instruction file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>データフォルダがありません。</source>
        <translation>The data folder does not exist.</translation>
    </message>
    <message>
        <source>指示ファイル &quot;%1&quot; を取得できません。</source>
        <translation>Cannot take the instruction file &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>指示ファイル &quot;%1&quot; の末尾に余分なデータがあります。</source>
        <translation>The instruction file &quot;%1&quot; has extra data at its end.</translation>
    </message>
    <message>
        <source>指示ファイル &quot;%1&quot; の削除リストが不正です。</source>
        <translation>The removal list of the instruction file &quot;%1&quot; is invalid.</translation>
    </message>
</context>
<context>
    <name>Integration</name>
    <message>
        <source>メニュー項目 &quot;%1&quot; の次のファイルの種類は、既定のブラウザーやメールのアプリケーションを変えるため登録しませんでした: %2</source>
        <translation>These types of the menu entry &quot;%1&quot; were not registered, because they would change the default web browser or mail program: %2</translation>
    </message>
</context>
<context>
    <name>LegacyImport</name>
    <message>
        <source>フォルダ &quot;%1&quot; を作成できません。</source>
        <translation>Cannot create the folder &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>Lha32</name>
    <message>
        <source>LHA 形式書庫</source>
        <translation>LHA archives</translation>
    </message>
    <message>
        <source>jse オプションが設定されていません。</source>
        <translation>The jse option is not set.</translation>
    </message>
    <message>
        <source>jso オプションが設定されていません。</source>
        <translation>The jso option is not set.</translation>
    </message>
</context>
<context>
    <name>Persistent</name>
    <message>
        <source>%1 に %2 を代入できません。</source>
        <translation>Cannot assign %2 to %1.</translation>
    </message>
</context>
<context>
    <name>Process</name>
    <message>
        <source>&quot;%1&quot; が見つからないか、実行できません。</source>
        <translation>&quot;%1&quot; was not found or cannot be run.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; を起動できません: %2</source>
        <translation>Cannot start &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; がありません。</source>
        <translation>&quot;%1&quot; does not exist.</translation>
    </message>
    <message>
        <source>Windows のプログラム &quot;%1&quot; を起動するには wine が必要です。Debian ではパッケージ wine をインストールしてください (sudo apt install wine)。</source>
        <translation>Running the Windows program &quot;%1&quot; needs wine. On Debian, install the package wine (sudo apt install wine).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; を開くには xdg-open が必要です。Debian ではパッケージ xdg-utils をインストールしてください (sudo apt install xdg-utils)。</source>
        <translation>Opening &quot;%1&quot; needs xdg-open. On Debian, install the package xdg-utils (sudo apt install xdg-utils).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; は端末で動くプログラムですが、端末 (x-terminal-emulator) がありません。Debian では xterm などの端末をインストールしてください。</source>
        <translation>&quot;%1&quot; runs in a terminal, but there is no terminal (x-terminal-emulator). On Debian, install a terminal such as xterm.</translation>
    </message>
</context>
<context>
    <name>Quill</name>
    <message>
        <source>コマンドがありません。</source>
        <translation>No command given.</translation>
    </message>
    <message>
        <source>不明なコマンドです: %1</source>
        <translation>Unknown command: %1</translation>
    </message>
    <message>
        <source>オプション %1 には値が必要です。</source>
        <translation>The option %1 needs a value.</translation>
    </message>
    <message>
        <source>オプション %1 が二度指定されています。</source>
        <translation>The option %1 was given twice.</translation>
    </message>
    <message>
        <source>不明なオプションです: %1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>アーカイブが指定されていません。</source>
        <translation>No archive given.</translation>
    </message>
    <message>
        <source>アプリケーションが指定されていません。</source>
        <translation>No application given.</translation>
    </message>
    <message>
        <source>余分な引数があります: %1</source>
        <translation>Extra argument: %1</translation>
    </message>
    <message>
        <source>アーカイブ:       %1
</source>
        <translation>Archive:          %1
</translation>
    </message>
    <message>
        <source>名前:             %1
</source>
        <translation>Name:             %1
</translation>
    </message>
    <message>
        <source>バージョン:       %1
</source>
        <translation>Version:          %1
</translation>
    </message>
    <message>
        <source>インストール先:   %1
</source>
        <translation>Install folder:   %1
</translation>
    </message>
    <message>
        <source>アップデート対象: %1 %2 (ID %3)
</source>
        <translation>Update of:        %1 %2 (ID %3)
</translation>
    </message>
    <message>
        <source>アップデート対象: なし (新規インストール)
</source>
        <translation>Update of:        none (new install)
</translation>
    </message>
    <message>
        <source>メインプログラム: %1
</source>
        <translation>Main program:     %1
</translation>
    </message>
    <message>
        <source>ヘルプファイル:   %1
</source>
        <translation>Help file:        %1
</translation>
    </message>
    <message>
        <source>ファイル:         %1 個 (インストール %2 個)
</source>
        <translation>Files:            %1 (%2 to install)
</translation>
    </message>
    <message>
        <source>インストール済みアプリケーション &quot;%1&quot; はありません。</source>
        <translation>There is no installed application &quot;%1&quot;.</translation>
    </message>
    <message>
        <source> (すべてのユーザー)</source>
        <translation> (all users)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; に当てはまるアプリケーションが複数あります。ID で指定してください:%2</source>
        <translation>&quot;%1&quot; fits several applications. Please give its ID:%2</translation>
    </message>
    <message>
        <source>インストール済みアプリケーションはありません。</source>
        <translation>No applications are installed.</translation>
    </message>
    <message>
        <source>  (すべてのユーザー)</source>
        <translation>  (all users)</translation>
    </message>
    <message>
        <source>インストール日:   %1
</source>
        <translation>Installed:        %1
</translation>
    </message>
    <message>
        <source>アップデート日:   %1
</source>
        <translation>Updated:          %1
</translation>
    </message>
    <message>
        <source>フォルダ:         %1
</source>
        <translation>Folder:           %1
</translation>
    </message>
    <message>
        <source>対象:             %1
</source>
        <translation>For:              %1
</translation>
    </message>
    <message>
        <source>すべてのユーザー</source>
        <translation>All users</translation>
    </message>
    <message>
        <source>このユーザー</source>
        <translation>This user</translation>
    </message>
    <message>
        <source>  (ありません)</source>
        <translation>  (missing)</translation>
    </message>
    <message>
        <source>%1。%2</source>
        <translation>%1. %2</translation>
    </message>
    <message>
        <source>エラー: %1。%2</source>
        <translation>Error: %1. %2</translation>
    </message>
    <message>
        <source>--overwrite には always, newer, never, ask, backup のどれかを指定してください。</source>
        <translation>--overwrite takes one of always, newer, never, ask, backup.</translation>
    </message>
    <message>
        <source>--clean には none か auto を指定してください。</source>
        <translation>--clean takes none or auto.</translation>
    </message>
    <message>
        <source>--shortcut と --no-shortcut は同時に指定できません。</source>
        <translation>--shortcut and --no-shortcut cannot be given together.</translation>
    </message>
    <message>
        <source>--shortcut には desktop と menu をコンマで区切って指定してください。</source>
        <translation>--shortcut takes desktop and menu, separated by a comma.</translation>
    </message>
    <message>
        <source>アーカイブの展開は取り消されました。</source>
        <translation>The extraction of the archive was cancelled.</translation>
    </message>
    <message>
        <source>警告: アーカイブの一部のファイルを展開できませんでした。一覧にないファイルはインストールされません。</source>
        <translation>Warning: some files of the archive could not be extracted. Files not in the list will not be installed.</translation>
    </message>
    <message>
        <source>--name に名前を指定してください。</source>
        <translation>--name needs a name.</translation>
    </message>
    <message>
        <source>アーカイブにファイル &quot;%1&quot; はありません。</source>
        <translation>The archive has no file &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>メインプログラムがありません。--main で指定してください。</source>
        <translation>There is no main program. Please name one with --main.</translation>
    </message>
    <message>
        <source>次のファイルはインストール先が同じです。あとからインストールされるファイルが先のファイルを上書きします。</source>
        <translation>These files have the same destination. A file installed later overwrites the one before it.</translation>
    </message>
    <message>
        <source>このままインストールしますか?</source>
        <translation>Install anyway?</translation>
    </message>
    <message>
        <source>アップデートしています: %1</source>
        <translation>Updating: %1</translation>
    </message>
    <message>
        <source>インストールしています: %1</source>
        <translation>Installing: %1</translation>
    </message>
    <message>
        <source>アップデートしました: %1 (ID %2)
</source>
        <translation>Updated: %1 (ID %2)
</translation>
    </message>
    <message>
        <source>インストールしました: %1 (ID %2)
</source>
        <translation>Installed: %1 (ID %2)
</translation>
    </message>
    <message>
        <source>  新しいファイル %1 個, 置き換え %2 個, スキップ %3 個
</source>
        <translation>  %1 new files, %2 replaced, %3 skipped
</translation>
    </message>
    <message>
        <source>&quot;%1&quot; をアンインストールしますか?</source>
        <translation>Uninstall &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>アンインストールしました: %1 (ID %2)
</source>
        <translation>Uninstalled: %1 (ID %2)
</translation>
    </message>
    <message>
        <source>  削除したファイル %1 個
</source>
        <translation>  %1 files removed
</translation>
    </message>
    <message>
        <source>  削除しなかったパス: %1
</source>
        <translation>  Path not removed: %1
</translation>
    </message>
    <message>
        <source>警告: アーカイブの一部のファイルを展開できませんでした。</source>
        <translation>Warning: some files of the archive could not be extracted.</translation>
    </message>
    <message>
        <source>インストール済みの %1 %2 を古いバージョン %3 に戻します。</source>
        <translation>Going back from the installed %1 %2 to the earlier version %3.</translation>
    </message>
    <message>
        <source>デスクトップ</source>
        <translation>desktop</translation>
    </message>
    <message>
        <source>メニュー</source>
        <translation>menu</translation>
    </message>
    <message>
        <source>コマンド</source>
        <translation>command</translation>
    </message>
    <message>
        <source>メイン</source>
        <translation>main</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>help</translation>
    </message>
    <message>
        <source>メニュー項目は次の種類を開くプログラムとして登録されることを求めています: %1。--allow-handlers を付けたときだけ登録します。</source>
        <translation>The menu entry asks to be registered as the program that opens: %1. They are registered only with --allow-handlers.</translation>
    </message>
    <message>
        <source>使い方: quill plan ARCHIVE [--json] | install ARCHIVE|URL [オプション] | list [--json] | show APP [--json] | uninstall APP [--yes] [--keep-folders] [--json] | source APP URL|--none | outdated [--json] | update APP|--all [--yes] [--json]  (詳しくは quill --help)</source>
        <translation>Usage: quill plan ARCHIVE [--json] | install ARCHIVE|URL [options] | list [--json] | show APP [--json] | uninstall APP [--yes] [--keep-folders] [--json] | source APP URL|--none | outdated [--json] | update APP|--all [--yes] [--json]  (more: quill --help)</translation>
    </message>
    <message>
        <source>--none と URL は同時に指定できません。</source>
        <translation>--none and a URL cannot be given together.</translation>
    </message>
    <message>
        <source>URL か github:OWNER/REPO、または --none を指定してください。</source>
        <translation>Give a URL or github:OWNER/REPO, or --none.</translation>
    </message>
    <message>
        <source>ダウンロードした %1 は、アプリケーション (ID %2) の新しいバージョンとして認識されません。</source>
        <translation>The downloaded %1 is not recognised as a new version of the application (ID %2).</translation>
    </message>
    <message>
        <source>ダウンロードしています: %1</source>
        <translation>Downloading: %1</translation>
    </message>
    <message>
        <source>ダウンロード</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>検証なし: 配布元はこのファイルのチェックサムを公開していません。</source>
        <translation>Not verified: the source publishes no checksum for this file.</translation>
    </message>
    <message>
        <source>検証済み: %1</source>
        <translation>Verified: %1</translation>
    </message>
    <message>
        <source>--sha256 には 64 桁の 16 進数を指定してください。</source>
        <translation>--sha256 takes 64 hexadecimal digits.</translation>
    </message>
    <message>
        <source>%1 のチェックサムが一致しません (%2)。</source>
        <translation>The checksum of %1 does not match (%2).</translation>
    </message>
    <message>
        <source>ダウンロードは取り消されました。</source>
        <translation>The download was cancelled.</translation>
    </message>
    <message>
        <source>%1 のソースを削除しました。
</source>
        <translation>Removed the source of %1.
</translation>
    </message>
    <message>
        <source>%1 のソース: %2
</source>
        <translation>Source of %1: %2
</translation>
    </message>
    <message>
        <source>%1 にはソースがありません (quill source で設定できます)。</source>
        <translation>%1 has no source (quill source sets one).</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>新しいバージョンのあるアプリケーションはありません。</source>
        <translation>No application has a newer version.</translation>
    </message>
    <message>
        <source>quill - アーカイブで配布されるアプリケーションをインストールします

  quill plan ARCHIVE [--json]
      アーカイブを開き、インストールの計画を表示します (インストールはしません)。
  quill install ARCHIVE|URL|github:OWNER/REPO[@TAG] [--sha256 HEX]
                [--to FOLDER] [--name NAME] [--main PATH]
                [--shortcut desktop,menu | --no-shortcut]
                [--overwrite always|newer|never|ask|backup] [--clean none|auto]
                [--all-users] [--command | --command-name NAME]
                [--allow-handlers] [--yes] [--json]
      アーカイブからインストールします。以前にインストールしたアプリケーションの
      新しいバージョンは、そのアップデートになります。--command はメインプログラムを
      その名前のコマンドにし、--command-name は指定した名前のコマンドにします。
      --allow-handlers は、アプリケーションのメニュー項目が Web アドレスやメールを
      開くアプリケーションになることを認めます。
      URL (https) やフォージのリリースからは、ダウンロードして公開された
      チェックサム (または --sha256) と照合してからインストールし、その
      ソースを記録します。
  quill list [--json]
      インストール済みアプリケーションの一覧を表示します。
  quill show APP [--json]
      インストール済みアプリケーションの詳細を表示します。
  quill uninstall APP [--yes] [--keep-folders] [--json]
      アプリケーションをアンインストールします。
  quill source APP URL|github:OWNER/REPO | quill source APP --none
      新しいバージョンを探す場所 (ソース) を設定または削除します。
  quill outdated [--json]
      ソースに新しいバージョンのあるアプリケーションを一覧します。
  quill update APP|--all [--yes] [--json]
      新しいバージョンをダウンロードし、検証して、アップデートします。
  quill export [FILE] | quill import FILE
      インストール済みアプリケーションをソースと選択 (フォルダ、ショートカット、
      コマンド、メインプログラム) とともに JSON で書き出し、別のマシンで
      同じようにインストールします。

APP は ID か名前 (英字の大文字と小文字は区別しません) です。
終了コード: 0 完了, 1 失敗 (何も変更されていません), 2 キャンセル,
            3 完了 (一部のパスは拒否されました), 64 使い方の誤り
</source>
        <translation>quill - installs applications distributed as archives

  quill plan ARCHIVE [--json]
      Opens the archive and shows the install plan (installs nothing).
  quill install ARCHIVE|URL|github:OWNER/REPO[@TAG] [--sha256 HEX]
                [--to FOLDER] [--name NAME] [--main PATH]
                [--shortcut desktop,menu | --no-shortcut]
                [--overwrite always|newer|never|ask|backup] [--clean none|auto]
                [--all-users] [--command | --command-name NAME]
                [--allow-handlers] [--yes] [--json]
      Installs from the archive. A new version of an application installed
      before becomes its update. --command makes the main program a command
      of its own name, --command-name one of the name given.
      --allow-handlers lets the application&apos;s menu entries make it the
      program that opens web addresses or mail.
      From a URL (https) or a forge&apos;s release, the archive is downloaded and
      checked against its published checksum (or --sha256) before it is
      installed, and its source is kept.
  quill list [--json]
      Lists the installed applications.
  quill show APP [--json]
      Shows the details of an installed application.
  quill uninstall APP [--yes] [--keep-folders] [--json]
      Uninstalls the application.
  quill source APP URL|github:OWNER/REPO | quill source APP --none
      Sets or clears where the application&apos;s next version is looked for.
  quill outdated [--json]
      Lists the applications whose source has a newer version.
  quill update APP|--all [--yes] [--json]
      Downloads, verifies and installs the newer versions.
  quill export [FILE] | quill import FILE
      Writes the installed applications with their sources and the choices
      made (folder, shortcuts, command, main program) as JSON, and installs
      them the same way on another machine.

APP is an ID or a name (upper and lower case count the same).
Exit codes: 0 done, 1 failed (nothing changed), 2 cancelled,
            3 done (some paths were refused), 64 usage error
</translation>
    </message>
    <message>
        <source>%1 個のアプリケーションを %2 に書き出しました。</source>
        <translation>Wrote %1 applications to %2.</translation>
    </message>
    <message>
        <source>%1 は Quillmate の書き出したファイルではありません。%2</source>
        <translation>%1 is no file exported by Quillmate. %2</translation>
    </message>
    <message>
        <source>%1: ソースがないため、インストールできません。</source>
        <translation>%1: it has no source, so it cannot be installed.</translation>
    </message>
</context>
<context>
    <name>QuillInst</name>
    <message>
        <source>インストール</source>
        <translation>Install</translation>
    </message>
    <message>
        <source>インストールしています...</source>
        <translation>Installing...</translation>
    </message>
    <message>
        <source>QuillInst - Quillmate のインストール指示ファイルからアプリケーションをインストールする

  QuillInst [--terminal] [--all-users] [--allow-handlers]
            [--app=NAME] [--app-id=ID] [--env=NAME=VALUE]...
      Quillmate と quill が起動します。データフォルダのインストール指示
      ファイル (instemp.tmp) を受け取り、ファイルをコピーし、メニュー項目
      などを作り、インストール済みアプリケーションのデータベースに記録します。
      --terminal は進行と問い合わせを端末で行います。--all-users は
      すべてのユーザー向けのインストール (pkexec で管理者として起動)、
      --allow-handlers は Web アドレスやメールを開くプログラムとしての登録を
      認めます。--app と --app-id は承認されたアプリケーションを、--env は
      利用者の設定 (言語、表示、利用者のフォルダ) を伝えます。

終了コード: 0 完了、1 失敗 (何も変更なし)、3 完了 (一部のパスは拒否)
</source>
        <translation>QuillInst - installs an application from Quillmate&apos;s instruction file

  QuillInst [--terminal] [--all-users] [--allow-handlers]
            [--app=NAME] [--app-id=ID] [--env=NAME=VALUE]...
      Started by Quillmate and quill. Takes the install instruction file
      (instemp.tmp) from the data folder, copies the files, makes the menu
      entries and the like, and records the application in the database of
      installed applications. --terminal shows the progress and asks its
      questions on the terminal. --all-users installs for every user (started
      through pkexec as the administrator); --allow-handlers lets the
      application be registered as the program that opens web addresses or
      mail. --app and --app-id name the application that was approved; --env
      passes the user&apos;s settings (language, display, the user&apos;s folders).

Exit codes: 0 done, 1 failed (nothing changed), 3 done (some paths were refused)
</translation>
    </message>
</context>
<context>
    <name>QuillOpen</name>
    <message>
        <source>ファイル &quot;%1&quot; が見つかりません。</source>
        <translation>The file &quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>展開</source>
        <translation>Extracting</translation>
    </message>
</context>
<context>
    <name>QuillUninst</name>
    <message>
        <source>アンインストール</source>
        <translation>Uninstall</translation>
    </message>
    <message>
        <source>アンインストールしています...</source>
        <translation>Uninstalling...</translation>
    </message>
    <message>
        <source>QuillUninst - Quillmate でインストールしたアプリケーションをアンインストールする

  QuillUninst [--terminal] [--all-users] [--keep-folders]
              [--app=NAME] [--app-id=ID] [--env=NAME=VALUE]...
      Quillmate と quill が起動します。データフォルダのアンインストール指示
      ファイル (uninstemp.tmp) を受け取り、記録にあるファイルとメニュー項目を
      削除し、データベースから記録を消します。--keep-folders はインストールで
      作られたフォルダを残します。ほかのオプションは QuillInst と同じです。

終了コード: 0 完了、1 失敗 (何も変更なし)、3 完了 (一部のパスは拒否)
</source>
        <translation>QuillUninst - uninstalls an application installed with Quillmate

  QuillUninst [--terminal] [--all-users] [--keep-folders]
              [--app=NAME] [--app-id=ID] [--env=NAME=VALUE]...
      Started by Quillmate and quill. Takes the uninstall instruction file
      (uninstemp.tmp) from the data folder, removes the files and menu entries
      its record lists, and deletes the record from the database.
      --keep-folders keeps the folders the install created. The other options
      are those of QuillInst.

Exit codes: 0 done, 1 failed (nothing changed), 3 done (some paths were refused)
</translation>
    </message>
</context>
<context>
    <name>Quillmate</name>
    <message>
        <source>Quillmate - アーカイブで配布されるアプリケーションをインストールする

  Quillmate [ARCHIVE]
      ウィンドウを開きます。ARCHIVE を指定すると、そのアーカイブを展開して
      インストール計画を表示します。以前にインストールしたアプリケーションの
      新しいバージョンは、そのアップデートになります。
  Quillmate --help
      この説明を表示します。

グラフィカルなセッション (DISPLAY または WAYLAND_DISPLAY) が必要です。
端末からは quill が同じ仕事をします。インストールとアンインストールは
QuillInst と QuillUninst が行います。

設定とデータベース: $XDG_DATA_HOME/Quillmate/ (既定 ~/.local/share/Quillmate/)
QUILLMATE_LANG=ja または en で表示の言語を選べます。
</source>
        <translation>Quillmate - installs applications distributed as archives

  Quillmate [ARCHIVE]
      Opens the window; with ARCHIVE, extracts that archive and shows its
      install plan. A new version of an application installed before becomes
      its update.
  Quillmate --help
      Shows this text.

Needs a graphical session (DISPLAY or WAYLAND_DISPLAY). From a terminal, quill
does the same work. QuillInst and QuillUninst do the installing and
uninstalling.

Settings and database: $XDG_DATA_HOME/Quillmate/ (default ~/.local/share/Quillmate/)
QUILLMATE_LANG=ja or en chooses the language of the texts.
</translation>
    </message>
</context>
<context>
    <name>Rar32</name>
    <message>
        <source>RAR 形式書庫</source>
        <translation>RAR archives</translation>
    </message>
</context>
<context>
    <name>SZip32</name>
    <message>
        <source>7z 形式書庫</source>
        <translation>7z archives</translation>
    </message>
    <message>
        <source>16bit SFX を作成することはできません。</source>
        <translation>A 16-bit SFX cannot be created.</translation>
    </message>
</context>
<context>
    <name>SelfExtract</name>
    <message>
        <source>%1 を開けません。</source>
        <translation>Cannot open %1.</translation>
    </message>
    <message>
        <source>%1 に書き込めません。</source>
        <translation>Cannot write to %1.</translation>
    </message>
    <message>
        <source>%1 を読み込めません。</source>
        <translation>Cannot read %1.</translation>
    </message>
    <message>
        <source>自己解凍書庫 %1 は %2 自身なので上書きできません。</source>
        <translation>The self-extracting archive %1 is %2 itself and cannot be overwritten.</translation>
    </message>
    <message>
        <source>%1 は 4 GiB 以上あるため、自己解凍書庫にできません。</source>
        <translation>%1 is 4 GiB or larger and cannot become a self-extracting archive.</translation>
    </message>
    <message>
        <source>%1 を作成できません。</source>
        <translation>Cannot create %1.</translation>
    </message>
</context>
<context>
    <name>SourceCheck</name>
    <message>
        <source>フォージの API の利用制限に達しました (GITHUB_TOKEN を設定すると緩和されます)</source>
        <translation>the rate limit of the forge&apos;s API was reached (setting GITHUB_TOKEN raises it)</translation>
    </message>
    <message>
        <source>リリースが見つかりません</source>
        <translation>no such release</translation>
    </message>
    <message>
        <source>%1 の答えを読めません: %2</source>
        <translation>Cannot read the answer of %1: %2</translation>
    </message>
    <message>
        <source>%1 にリリースがありません。</source>
        <translation>%1 has no release.</translation>
    </message>
    <message>
        <source>%1 のリリース %2 にこのマシン向けのファイルがありません。</source>
        <translation>Release %2 of %1 has no file for this machine.</translation>
    </message>
    <message>
        <source>%1 は ETag も Last-Modified も返さないため、新しいバージョンを判断できません。</source>
        <translation>%1 gives neither an ETag nor a Last-Modified date, so a new version cannot be told.</translation>
    </message>
    <message>
        <source>%1 に該当するファイルがありません。</source>
        <translation>%1 lists no matching file.</translation>
    </message>
    <message>
        <source>%1 は zsync ファイルではありません。</source>
        <translation>%1 is no zsync file.</translation>
    </message>
    <message>
        <source>ソースがありません。</source>
        <translation>There is no source.</translation>
    </message>
    <message>
        <source>%1 はファイルの名前を持ちません。</source>
        <translation>%1 names no file.</translation>
    </message>
    <message>
        <source>%1 を作成できません。</source>
        <translation>Cannot create %1.</translation>
    </message>
    <message>
        <source>%1 にダウンロード用のフォルダを作成できません。</source>
        <translation>Cannot create a folder for the download in %1.</translation>
    </message>
    <message>
        <source>%1 のチェックサムが一致しません (%2 は %3、ダウンロードしたファイルは %4)。</source>
        <translation>The checksum of %1 does not match (%2 gives %3, the downloaded file has %4).</translation>
    </message>
    <message>
        <source>%1 を保存できません。</source>
        <translation>Cannot save %1.</translation>
    </message>
</context>
<context>
    <name>Sources</name>
    <message>
        <source>タグが正しくありません。</source>
        <translation>The tag is not valid.</translation>
    </message>
    <message>
        <source>github:OWNER/REPO の形で指定してください。</source>
        <translation>Give it as github:OWNER/REPO.</translation>
    </message>
    <message>
        <source>URL か github:OWNER/REPO を指定してください。</source>
        <translation>Give a URL or github:OWNER/REPO.</translation>
    </message>
    <message>
        <source>URL に使えない文字があります。</source>
        <translation>The URL holds characters a URL cannot.</translation>
    </message>
    <message>
        <source>リリースの形ではありません</source>
        <translation>not of the shape of a release</translation>
    </message>
</context>
<context>
    <name>Stream</name>
    <message>
        <source>ストリームの読み込みエラー</source>
        <translation>Stream read error</translation>
    </message>
    <message>
        <source>ストリームの書き込みエラー</source>
        <translation>Stream write error</translation>
    </message>
    <message>
        <source>ファイル %1 を作成できません。</source>
        <translation>Cannot create the file %1.</translation>
    </message>
    <message>
        <source>ファイル %1 を開けません。</source>
        <translation>Cannot open the file %1.</translation>
    </message>
    <message>
        <source>0 の文字を含む文字列は保存できません: %1</source>
        <translation>A text containing the character 0 cannot be saved: %1</translation>
    </message>
</context>
<context>
    <name>SystemError</name>
    <message>
        <source>ファイルまたはフォルダがありません</source>
        <translation>No such file or folder</translation>
    </message>
    <message>
        <source>アクセスが拒否されました</source>
        <translation>Access denied</translation>
    </message>
    <message>
        <source>ディスクの空き容量が足りません</source>
        <translation>Not enough free disk space</translation>
    </message>
    <message>
        <source>ディスクの使用量の上限を超えました</source>
        <translation>Disk quota exceeded</translation>
    </message>
    <message>
        <source>読み取り専用のファイルシステムです</source>
        <translation>Read-only file system</translation>
    </message>
    <message>
        <source>同じ名前のファイルまたはフォルダが既にあります</source>
        <translation>A file or folder of the same name already exists</translation>
    </message>
    <message>
        <source>パスの途中がフォルダではありません</source>
        <translation>A part of the path is not a folder</translation>
    </message>
    <message>
        <source>フォルダです</source>
        <translation>Is a folder</translation>
    </message>
    <message>
        <source>フォルダが空ではありません</source>
        <translation>The folder is not empty</translation>
    </message>
    <message>
        <source>名前が長すぎます</source>
        <translation>The name is too long</translation>
    </message>
    <message>
        <source>シンボリックリンクが多すぎるか、たどれません</source>
        <translation>Too many symbolic links, or a link cannot be followed</translation>
    </message>
    <message>
        <source>使用中です</source>
        <translation>In use</translation>
    </message>
    <message>
        <source>入出力エラーが発生しました</source>
        <translation>An input/output error occurred</translation>
    </message>
    <message>
        <source>別のファイルシステムへは移動できません</source>
        <translation>Cannot move to another file system</translation>
    </message>
    <message>
        <source>開いているファイルが多すぎます</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>実行中のファイルです</source>
        <translation>The file is being run</translation>
    </message>
    <message>
        <source>メモリが足りません</source>
        <translation>Not enough memory</translation>
    </message>
</context>
<context>
    <name>Tar32</name>
    <message>
        <source>tar/tgz/taz/bz2 形式書庫</source>
        <translation>tar/tgz/taz/bz2 archives</translation>
    </message>
    <message>
        <source>BZ2 形式書庫は自己解凍形式にできません。</source>
        <translation>A BZ2 archive cannot become self-extracting.</translation>
    </message>
</context>
<context>
    <name>TerminalProgress</name>
    <message>
        <source>%1 個</source>
        <translation>%1 files</translation>
    </message>
</context>
<context>
    <name>TerminalUi</name>
    <message>
        <source>&quot;%1&quot; は既にあります。上書きしますか? [y] はい / [n] いいえ / [a] すべて上書き / [s] すべてスキップ / [c] キャンセル: </source>
        <translation>&quot;%1&quot; already exists. Overwrite it? [y] yes / [n] no / [a] overwrite all / [s] skip all / [c] cancel: </translation>
    </message>
</context>
<context>
    <name>TfrmUninstall</name>
    <message>
        <source>インストール済みアプリケーションの一覧に ID %1 のアプリケーションがありません。</source>
        <translation>The list of installed applications has no application with the ID %1.</translation>
    </message>
</context>
<context>
    <name>ToolMain</name>
    <message>
        <source>指示ファイル &quot;%1&quot; はユーザーの通常のファイルではありません。</source>
        <translation>The instruction file &quot;%1&quot; is not a regular file of the user.</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; を作成できません。</source>
        <translation>Cannot create the folder &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>フォルダ &quot;%1&quot; は管理者のフォルダではありません。</source>
        <translation>The folder &quot;%1&quot; is not the administrator&apos;s folder.</translation>
    </message>
    <message>
        <source>作業フォルダ &quot;%1&quot; はこのユーザーの作業フォルダではありません。</source>
        <translation>The working folder &quot;%1&quot; is not this user&apos;s working folder.</translation>
    </message>
    <message>
        <source>不正なファイル名です: %1%2</source>
        <translation>Invalid file name: %1%2</translation>
    </message>
    <message>
        <source>作業フォルダのファイルを使えません: %1</source>
        <translation>Cannot use the files of the working folder: %1</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を作成できません。</source>
        <translation>Cannot create the file &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>管理者の権限では、すべてのユーザー向けのインストールとアンインストールだけを行います。</source>
        <translation>With administrator rights, only installs and uninstalls for all users are done.</translation>
    </message>
    <message>
        <source>作業フォルダの &quot;%1&quot; はフォルダではありません。</source>
        <translation>&quot;%1&quot; in the working folder is not a folder.</translation>
    </message>
    <message>
        <source>指示ファイルのアプリケーション &quot;%1&quot; は、実行を認められたアプリケーションではありません。</source>
        <translation>The application &quot;%1&quot; of the instruction file is not the one the run was approved for.</translation>
    </message>
</context>
<context>
    <name>ToolWindow</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>次のファイルは既に存在します。上書きしますか？

%1</source>
        <translation>This file already exists. Overwrite it?

%1</translation>
    </message>
    <message>
        <source>上書き(&amp;O)</source>
        <translation>&amp;Overwrite</translation>
    </message>
    <message>
        <source>スキップ(&amp;S)</source>
        <translation>&amp;Skip</translation>
    </message>
    <message>
        <source>すべて上書き(&amp;A)</source>
        <translation>Overwrite &amp;All</translation>
    </message>
    <message>
        <source>すべてスキップ(&amp;K)</source>
        <translation>S&amp;kip All</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
<context>
    <name>UiHooks</name>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Uninstaller</name>
    <message>
        <source>アプリケーション &quot;%1&quot; はインストール済みアプリケーションの一覧にありません。</source>
        <translation>The application &quot;%1&quot; is not in the list of installed applications.</translation>
    </message>
    <message>
        <source>アンインストールはキャンセルされました。</source>
        <translation>The uninstallation was cancelled.</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を削除できません。</source>
        <translation>Cannot delete the file &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>Yz132</name>
    <message>
        <source>YZ1 形式書庫</source>
        <translation>YZ1 archives</translation>
    </message>
    <message>
        <source>%1 か %2</source>
        <translation>%1 or %2</translation>
    </message>
    <message>
        <source>Yz1 形式書庫を扱うには %1 が必要です。</source>
        <translation>%1 is needed to handle Yz1 archives.</translation>
    </message>
    <message>
        <source>yz1 書庫からのDOS自己解凍書庫の作成には yzdos16.sfx が必要です。</source>
        <translation>Creating a DOS self-extracting archive from a yz1 archive needs yzdos16.sfx.</translation>
    </message>
    <message>
        <source>yz1 書庫からのWin32自己解凍書庫の作成には yzw32cui.sfx か yzdec.exe が必要です。</source>
        <translation>Creating a Win32 self-extracting archive from a yz1 archive needs yzw32cui.sfx or yzdec.exe.</translation>
    </message>
</context>
<context>
    <name>Zip32</name>
    <message>
        <source>ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。</source>
        <translation>Extracting ZIP archives needs UNZIP32.DLL or LMZIP32.DLL.</translation>
    </message>
    <message>
        <source>ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。</source>
        <translation>Creating ZIP archives needs ZIP32J.DLL or LMZIP32.DLL.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; は引用符を含むため、コマンドラインに書けません。</source>
        <translation>&quot;%1&quot; contains quotes and cannot be written on a command line.</translation>
    </message>
</context>
<context>
    <name>ZipDll</name>
    <message>
        <source>%1 のエントリが DLL に見つかりませんでした。</source>
        <translation>The entry %1 was not found in the DLL.</translation>
    </message>
</context>
<context>
    <name>qm::TAboutBox</name>
    <message>
        <source>バージョン情報</source>
        <translation>About Quillmate</translation>
    </message>
    <message>
        <source>バージョン %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>qm::TFileListModel</name>
    <message>
        <source>ほかのファイルと同じインストール先です。あとからインストールされるファイルが上書きします。</source>
        <translation>This file has the same destination as another. The file installed later overwrites it.</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File Name</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>インストールパス</source>
        <translation>Install Path</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Date</translation>
    </message>
</context>
<context>
    <name>qm::TFolderDialog</name>
    <message>
        <source>フォルダーを選択して下さい。</source>
        <translation>Please choose a folder.</translation>
    </message>
</context>
<context>
    <name>qm::TfrmAppInfo</name>
    <message>
        <source>アプリケーション情報</source>
        <translation>Application Details</translation>
    </message>
    <message>
        <source>アプリケーション名</source>
        <translation>Application name</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>初期インストール日時：</source>
        <translation>First installed:</translation>
    </message>
    <message>
        <source>最終アップデート日時：</source>
        <translation>Last updated:</translation>
    </message>
    <message>
        <source>ファイルリスト</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File Name</translation>
    </message>
    <message>
        <source>インストール先</source>
        <translation>Install folder</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>ソース(&amp;S)</source>
        <translation>&amp;Source</translation>
    </message>
    <message>
        <source>URL (https) または github:OWNER/REPO</source>
        <translation>URL (https) or github:OWNER/REPO</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Clear</translation>
    </message>
</context>
<context>
    <name>qm::TfrmAppList</name>
    <message>
        <source>インストール済みアプリケーションリスト</source>
        <translation>Installed Applications</translation>
    </message>
    <message>
        <source>アプリケーション名</source>
        <translation>Application name</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>インストール日時</source>
        <translation>Installed</translation>
    </message>
    <message>
        <source>アップデート日時</source>
        <translation>Updated</translation>
    </message>
    <message>
        <source>アーカイブ名</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>ファイル数</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>詳細(&amp;D)...</source>
        <translation>&amp;Details...</translation>
    </message>
    <message>
        <source>選択(&amp;S)</source>
        <translation>&amp;Select</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source> (すべてのユーザー)</source>
        <translation> (all users)</translation>
    </message>
    <message>
        <source>最新バージョン</source>
        <translation>Latest version</translation>
    </message>
    <message>
        <source>新しいバージョンを確認(&amp;N)</source>
        <translation>Check for &amp;new versions</translation>
    </message>
    <message>
        <source>アップデート(&amp;U)</source>
        <translation>&amp;Update</translation>
    </message>
    <message>
        <source>確認できません</source>
        <translation>cannot check</translation>
    </message>
    <message>
        <source>最新</source>
        <translation>up to date</translation>
    </message>
</context>
<context>
    <name>qm::TfrmConvert</name>
    <message>
        <source>ファイルの変換</source>
        <translation>Converting Files</translation>
    </message>
    <message>
        <source>ファイルの変換中です</source>
        <translation>Converting the files</translation>
    </message>
</context>
<context>
    <name>qm::TfrmEditPath</name>
    <message>
        <source>フォルダの追加</source>
        <translation>Add Folder</translation>
    </message>
    <message>
        <source>フォルダパス</source>
        <translation>Folder path</translation>
    </message>
    <message>
        <source>ショートカットを作成するフォルダを選択します。</source>
        <translation>Choose the folder to create shortcuts in.</translation>
    </message>
    <message>
        <source>クイック設定(&amp;Q)</source>
        <translation>&amp;Quick Choices</translation>
    </message>
    <message>
        <source>スタートアップ(このユーザー)</source>
        <translation>Startup (this user)</translation>
    </message>
    <message>
        <source>デスクトップ(このユーザー)</source>
        <translation>Desktop (this user)</translation>
    </message>
    <message>
        <source>スタートメニュー(このユーザー)</source>
        <translation>Application menu (this user)</translation>
    </message>
    <message>
        <source>お気に入り(このユーザー)</source>
        <translation>Favorites (this user)</translation>
    </message>
    <message>
        <source>送る(このユーザー)</source>
        <translation>Send To (this user)</translation>
    </message>
    <message>
        <source>スタートアップ(全ユーザー)</source>
        <translation>Startup (all users)</translation>
    </message>
    <message>
        <source>デスクトップ(全ユーザー)</source>
        <translation>Desktop (all users)</translation>
    </message>
    <message>
        <source>スタートメニュー(全ユーザー)</source>
        <translation>Application menu (all users)</translation>
    </message>
    <message>
        <source>お気に入り(全ユーザー)</source>
        <translation>Favorites (all users)</translation>
    </message>
</context>
<context>
    <name>qm::TfrmInstall</name>
    <message>
        <source>インストール</source>
        <translation>Install</translation>
    </message>
    <message>
        <source>＊＊＊＊をインストールします。</source>
        <translation>**** will be installed.</translation>
    </message>
    <message>
        <source>同一ファイルが存在する場合の処理</source>
        <translation>When a file already exists</translation>
    </message>
    <message>
        <source>ファイルの上書き</source>
        <translation>Overwrite files</translation>
    </message>
    <message>
        <source>常に上書きする</source>
        <translation>Always overwrite</translation>
    </message>
    <message>
        <source>日付が新しいとき上書きする</source>
        <translation>Overwrite if newer</translation>
    </message>
    <message>
        <source>変更があるとき上書きする</source>
        <translation>Overwrite if changed</translation>
    </message>
    <message>
        <source>バックアップして上書きする</source>
        <translation>Back up, then overwrite</translation>
    </message>
    <message>
        <source>上書きしない</source>
        <translation>Never overwrite</translation>
    </message>
    <message>
        <source>上書きしないときの処理</source>
        <translation>When not overwriting</translation>
    </message>
    <message>
        <source>処理を確認する</source>
        <translation>Ask</translation>
    </message>
    <message>
        <source>スキップする</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>インストール対象</source>
        <translation>Install for</translation>
    </message>
    <message>
        <source>現在のユーザー</source>
        <translation>Current user</translation>
    </message>
    <message>
        <source>すべてのユーザー</source>
        <translation>All users</translation>
    </message>
    <message>
        <source>インストール後の処理</source>
        <translation>After installing</translation>
    </message>
    <message>
        <source>アプリケーションを起動する</source>
        <translation>Start the application</translation>
    </message>
    <message>
        <source>ヘルプを表示する</source>
        <translation>Show the help</translation>
    </message>
    <message>
        <source>Quillmateを閉じる</source>
        <translation>Close Quillmate</translation>
    </message>
    <message>
        <source>メインプログラムをコマンドとして登録する (端末から名前で起動)</source>
        <translation>Make the main program a command (start it by name in a terminal)</translation>
    </message>
    <message>
        <source>インストール(&amp;R)</source>
        <translation>&amp;Install</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>%1をインストールします。</source>
        <translation>%1 will be installed.</translation>
    </message>
    <message>
        <source>Web のアドレス・ページやメールを開く既定のアプリケーションにする:</source>
        <translation>Make it the default application for web addresses, web pages or mail:</translation>
    </message>
</context>
<context>
    <name>qm::TfrmInstallPath</name>
    <message>
        <source>インストール先の変更</source>
        <translation>Change Install Folder</translation>
    </message>
    <message>
        <source>インストール先</source>
        <translation>Install folder</translation>
    </message>
    <message>
        <source>インストール先フォルダを選択します。</source>
        <translation>Choose the install folder.</translation>
    </message>
    <message>
        <source>適用対象</source>
        <translation>Apply to</translation>
    </message>
    <message>
        <source>選択したファイル</source>
        <translation>Selected files</translation>
    </message>
    <message>
        <source>すべて</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>元のパス情報を無視する</source>
        <translation>Ignore the paths in the archive</translation>
    </message>
</context>
<context>
    <name>qm::TfrmMain</name>
    <message>
        <source>ファイル数:%1</source>
        <translation>Files: %1</translation>
    </message>
    <message>
        <source>インストーラの終了後に閉じます...</source>
        <translation>Closing when the installer has finished...</translation>
    </message>
    <message>
        <source>%1 を開くには xdg-open が必要です。Debian ではパッケージ xdg-utils をインストールしてください (sudo apt install xdg-utils)。</source>
        <translation>Opening %1 needs xdg-open. On Debian, install the package xdg-utils (sudo apt install xdg-utils).</translation>
    </message>
    <message>
        <source>%1 を開けません。</source>
        <translation>Cannot open %1.</translation>
    </message>
    <message>
        <source>このアプリケーションの実行には、アーカイブに対応するライブラリ(DLLファイル)が必要です。</source>
        <translation>The archive formats are built in; the reader of this archive&apos;s format could not be loaded.</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>ショートカット(&amp;C)...</source>
        <translation>Short&amp;cut...</translation>
    </message>
    <message>
        <source>ショートカット</source>
        <translation>Shortcut</translation>
    </message>
    <message>
        <source>対象に含める(&amp;A)</source>
        <translation>&amp;Add to Install</translation>
    </message>
    <message>
        <source>インストール対象</source>
        <translation>Include in install</translation>
    </message>
    <message>
        <source>対象から外す(&amp;D)</source>
        <translation>Exclu&amp;de from Install</translation>
    </message>
    <message>
        <source>インストール除外</source>
        <translation>Exclude from install</translation>
    </message>
    <message>
        <source>インストール先の変更(&amp;F)...</source>
        <translation>Change Install &amp;Folder...</translation>
    </message>
    <message>
        <source>インストール先の変更</source>
        <translation>Change Install Folder</translation>
    </message>
    <message>
        <source>メインの実行ファイルに設定(&amp;M)</source>
        <translation>Set as &amp;Main Program</translation>
    </message>
    <message>
        <source>メイン実行ファイルに指定</source>
        <translation>Set as main program</translation>
    </message>
    <message>
        <source>アップデート設定(&amp;U)...</source>
        <translation>&amp;Update Settings...</translation>
    </message>
    <message>
        <source>アップデート設定</source>
        <translation>Update settings</translation>
    </message>
    <message>
        <source>実行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>インストール(&amp;I)...</source>
        <translation>&amp;Install...</translation>
    </message>
    <message>
        <source>インストール</source>
        <translation>Install</translation>
    </message>
    <message>
        <source>アンインストール(&amp;U)...</source>
        <translation>&amp;Uninstall...</translation>
    </message>
    <message>
        <source>アンインストール</source>
        <translation>Uninstall</translation>
    </message>
    <message>
        <source>インストールウィザード(&amp;W)...</source>
        <translation>Install &amp;Wizard...</translation>
    </message>
    <message>
        <source>インストールウィザード</source>
        <translation>Install wizard</translation>
    </message>
    <message>
        <source>ショートカットのクリア(&amp;L)</source>
        <translation>C&amp;lear Shortcut</translation>
    </message>
    <message>
        <source>ショートカットのクリア</source>
        <translation>Clear shortcut</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>インストール対象(&amp;T)</source>
        <translation>Install &amp;Target</translation>
    </message>
    <message>
        <source>ヘルプファイルに指定(&amp;H)</source>
        <translation>Set as &amp;Help File</translation>
    </message>
    <message>
        <source>実行(&amp;E)</source>
        <translation>&amp;Run</translation>
    </message>
    <message>
        <source>ツール(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>オプションの設定(&amp;O)...</source>
        <translation>&amp;Options...</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ヘルプの表示(&amp;S)</source>
        <translation>&amp;Show Help</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>&amp;About Quillmate...</translation>
    </message>
    <message>
        <source>ヘルプファイルに設定(&amp;H)</source>
        <translation>Set as &amp;Help File</translation>
    </message>
    <message>
        <source>アプリケーション名</source>
        <translation>Application name</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>このアプリケーションは新規にインストールされます</source>
        <translation>This application will be installed as new</translation>
    </message>
    <message>
        <source>ファイル数: 0</source>
        <translation>Files: 0</translation>
    </message>
    <message>
        <source>アーカイブを開く</source>
        <translation>Open Archive</translation>
    </message>
    <message>
        <source>ほか %1 個</source>
        <translation>%1 more</translation>
    </message>
    <message>
        <source>%1。%2</source>
        <translation>%1. %2</translation>
    </message>
    <message>
        <source>インストーラの終了を待っています...</source>
        <translation>Waiting for the installer to finish...</translation>
    </message>
    <message>
        <source>アップデートしました: %1</source>
        <translation>Updated: %1</translation>
    </message>
    <message>
        <source>インストールしました: %1</source>
        <translation>Installed: %1</translation>
    </message>
    <message>
        <source>アンインストーラを起動しています...</source>
        <translation>Starting the uninstaller...</translation>
    </message>
    <message>
        <source>アンインストールしました: %1</source>
        <translation>Uninstalled: %1</translation>
    </message>
    <message>
        <source>アンインストールしています: %1</source>
        <translation>Uninstalling: %1</translation>
    </message>
    <message>
        <source>アンインストールはキャンセルされました。</source>
        <translation>The uninstallation was cancelled.</translation>
    </message>
    <message>
        <source>アンインストールに失敗しました: %1</source>
        <translation>Uninstallation failed: %1</translation>
    </message>
    <message>
        <source>インストール済み: %1 %2</source>
        <translation>Installed: %1 %2</translation>
    </message>
    <message>
        <source>以前のデータベース &quot;%1&quot; を変換できませんでした。
%2</source>
        <translation>The old database &quot;%1&quot; could not be converted.
%2</translation>
    </message>
    <message>
        <source>このアプリケーションは新規にインストールされます。</source>
        <translation>This application will be installed as new.</translation>
    </message>
    <message>
        <source>次のファイルはインストール先が同じです。あとからインストールされるファイルが先のファイルを上書きします。
%1

このままインストールしますか?</source>
        <translation>These files have the same destination. A file installed later overwrites the one before it.
%1

Install anyway?</translation>
    </message>
    <message>
        <source>アップデート対象: %1 %2</source>
        <translation>Update of: %1 %2</translation>
    </message>
    <message>
        <source>すべてのアーカイブ</source>
        <translation>All archives</translation>
    </message>
    <message>
        <source>すべてのファイル(*.*)</source>
        <translation>All files (*.*)</translation>
    </message>
    <message>
        <source>LZH書庫(*.lzh;*.lha;*.lzs)</source>
        <translation>LZH archives (*.lzh;*.lha;*.lzs)</translation>
    </message>
    <message>
        <source>ZIP書庫(*.zip;*.jar)</source>
        <translation>ZIP archives (*.zip;*.jar)</translation>
    </message>
    <message>
        <source>CAB書庫(*.cab)</source>
        <translation>CAB archives (*.cab)</translation>
    </message>
    <message>
        <source>自己解凍書庫(*.exe)</source>
        <translation>Self-extracting archives (*.exe)</translation>
    </message>
    <message>
        <source>インストーラの終了を待っています。終了してから開いてください。</source>
        <translation>Waiting for the installer to finish. Please open the archive when it is done.</translation>
    </message>
    <message>
        <source>アーカイブの一部のファイルを展開できませんでした (エラー 0x%1)。一覧にないファイルはインストールされません。</source>
        <translation>Some files of the archive could not be extracted (error 0x%1). Files not in the list will not be installed.</translation>
    </message>
    <message>
        <source>展開</source>
        <translation>Extracting</translation>
    </message>
    <message>
        <source>アーカイブを展開しています...</source>
        <translation>Extracting the archive...</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>アーカイブで配布されるアプリケーションのインストーラー</source>
        <translation>Installer for applications distributed as archives</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; が見つかりません。</source>
        <translation>The file &quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>ファイルが不正か、または非対応のアーカイブです。</source>
        <translation>The file is damaged or not a supported archive.</translation>
    </message>
    <message>
        <source>アップデート対象: %1 %2 (古いバージョン %3 に戻します)</source>
        <translation>Update of: %1 %2 (going back to the earlier version %3)</translation>
    </message>
    <message>
        <source>アーカイブを開くか (%1)、ここへドロップしてください。</source>
        <translation>Open an archive (%1) or drop one here.</translation>
    </message>
    <message>
        <source>URL を開く(&amp;U)...</source>
        <translation>Open &amp;URL...</translation>
    </message>
    <message>
        <source>インストール済みアプリケーション(&amp;L)...</source>
        <translation>Installed app&amp;lications...</translation>
    </message>
    <message>
        <source>%1 / %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>, 残り %1 秒</source>
        <translation>, %1 s left</translation>
    </message>
    <message>
        <source>URL を開く</source>
        <translation>Open URL</translation>
    </message>
    <message>
        <source>アーカイブの URL (https)、または github:OWNER/REPO[@TAG]:</source>
        <translation>The archive&apos;s URL (https), or github:OWNER/REPO[@TAG]:</translation>
    </message>
    <message>
        <source>ダウンロード</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>検証なし: 配布元はこのファイルのチェックサムを公開していません。</source>
        <translation>Not verified: the source publishes no checksum for this file.</translation>
    </message>
    <message>
        <source>検証済み: %1</source>
        <translation>Verified: %1</translation>
    </message>
    <message>
        <source>新しいバージョンがあります: %1 (ツール → インストール済みアプリケーション)</source>
        <translation>Newer versions: %1 (Tools → Installed applications)</translation>
    </message>
    <message>
        <source>確認できませんでした: %1</source>
        <translation>Could not check: %1</translation>
    </message>
</context>
<context>
    <name>qm::TfrmOption</name>
    <message>
        <source>オプションの設定</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>アップデート設定</source>
        <translation>Update settings</translation>
    </message>
    <message>
        <source>上書きインストール</source>
        <translation>Overwrite install</translation>
    </message>
    <message>
        <source>自動クリーンインストール</source>
        <translation>Automatic clean install</translation>
    </message>
    <message>
        <source>カスタムクリーンインストール</source>
        <translation>Custom clean install</translation>
    </message>
    <message>
        <source>常に上書きする</source>
        <translation>Always overwrite</translation>
    </message>
    <message>
        <source>日付が新しい場合は上書きする</source>
        <translation>Overwrite if newer</translation>
    </message>
    <message>
        <source>変更がある場合は上書きする</source>
        <translation>Overwrite if changed</translation>
    </message>
    <message>
        <source>古いファイルのバックアップを作成して上書きする</source>
        <translation>Back up the old file, then overwrite</translation>
    </message>
    <message>
        <source>上書きしない</source>
        <translation>Never overwrite</translation>
    </message>
    <message>
        <source>確認する</source>
        <translation>Ask</translation>
    </message>
    <message>
        <source>スキップする</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>アップデートモード</source>
        <translation>Update mode</translation>
    </message>
    <message>
        <source>上書き条件</source>
        <translation>Overwrite when</translation>
    </message>
    <message>
        <source>上書きしない場合</source>
        <translation>When not overwriting</translation>
    </message>
    <message>
        <source>インストール後の処理</source>
        <translation>After installing</translation>
    </message>
    <message>
        <source>アプリケーションを起動する</source>
        <translation>Start the application</translation>
    </message>
    <message>
        <source>ヘルプを起動する</source>
        <translation>Show the help</translation>
    </message>
    <message>
        <source>Quillmateを終了する</source>
        <translation>Close Quillmate</translation>
    </message>
    <message>
        <source>デフォルト</source>
        <translation>Defaults</translation>
    </message>
    <message>
        <source>インストールウィザード</source>
        <translation>Install wizard</translation>
    </message>
    <message>
        <source>起動時にウィザードを実行する</source>
        <translation>Run the wizard for an archive named at start</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>新しいバージョン</source>
        <translation>New versions</translation>
    </message>
    <message>
        <source>起動時に新しいバージョンを確認する (1 日 1 回、ソースのあるアプリケーションだけ)</source>
        <translation>Check for new versions at start (once a day, only applications with a source)</translation>
    </message>
</context>
<context>
    <name>qm::TfrmSelUpdate</name>
    <message>
        <source>インストールの選択</source>
        <translation>Install or Update</translation>
    </message>
    <message>
        <source>新規インストール</source>
        <translation>New install</translation>
    </message>
    <message>
        <source>アップデート</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>アップデート対象</source>
        <translation>Application to update</translation>
    </message>
    <message>
        <source>参照(&amp;R)...</source>
        <translation>B&amp;rowse...</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>上書きインストール</source>
        <translation>Overwrite install</translation>
    </message>
    <message>
        <source>自動クリーンインストール</source>
        <translation>Automatic clean install</translation>
    </message>
    <message>
        <source>カスタムクリーンインストール</source>
        <translation>Custom clean install</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>アップデートするアプリケーションを選択してください。</source>
        <translation>Please choose the application to update.</translation>
    </message>
    <message>
        <source>選択したアプリケーションはインストールされていません。</source>
        <translation>The chosen application is not installed.</translation>
    </message>
</context>
<context>
    <name>qm::TfrmShortcut</name>
    <message>
        <source>ショートカット設定</source>
        <translation>Shortcut Settings</translation>
    </message>
    <message>
        <source>参照(&amp;W)...</source>
        <translation>Bro&amp;wse...</translation>
    </message>
    <message>
        <source>起動サイズ</source>
        <translation>Start as</translation>
    </message>
    <message>
        <source>通常のサイズ</source>
        <translation>Normal window</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximized</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimized</translation>
    </message>
    <message>
        <source>ショートカット作成場所</source>
        <translation>Create shortcuts in</translation>
    </message>
    <message>
        <source>デスクトップ</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>スタートメニュー</source>
        <translation>Application menu</translation>
    </message>
    <message>
        <source>参照(&amp;R)...</source>
        <translation>B&amp;rowse...</translation>
    </message>
    <message>
        <source>カスタム</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>追加(&amp;A)...</source>
        <translation>&amp;Add...</translation>
    </message>
    <message>
        <source>編集(&amp;E)...</source>
        <translation>&amp;Edit...</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Set</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>スタートメニューの場所を選択します。</source>
        <translation>Choose the place in the application menu.</translation>
    </message>
    <message>
        <source>ショートカット名</source>
        <translation>Shortcut name</translation>
    </message>
    <message>
        <source>説明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>作業フォルダ</source>
        <translation>Working folder</translation>
    </message>
    <message>
        <source>引数</source>
        <translation>Arguments</translation>
    </message>
    <message>
        <source>ショートカット名が不正です</source>
        <translation>Invalid shortcut name</translation>
    </message>
    <message>
        <source>ショートカット名に使用できない文字を使用しているか、またはショートカット名が入力されていません。</source>
        <translation>The shortcut name contains characters that cannot be used, or no shortcut name was entered.</translation>
    </message>
    <message>
        <source>スタートメニューの場所が不正です</source>
        <translation>Invalid application menu place</translation>
    </message>
    <message>
        <source>スタートメニューの場所には、スタートメニューの中のフォルダを「..」を使わずに指定してください。</source>
        <translation>Please give a folder inside the application menu, without &quot;..&quot;.</translation>
    </message>
    <message>
        <source>カスタムフォルダが不正です</source>
        <translation>Invalid custom folder</translation>
    </message>
    <message>
        <source>カスタムフォルダには、「..」を含まない絶対パスを指定してください。</source>
        <translation>Please give an absolute path without &quot;..&quot;.</translation>
    </message>
    <message>
        <source>このプログラムが使用する作業フォルダを選択します。</source>
        <translation>Choose the working folder this program uses.</translation>
    </message>
    <message>
        <source>ターミナルで実行</source>
        <translation>Run in a terminal</translation>
    </message>
</context>
<context>
    <name>qm::TfrmUninstall</name>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>最終インストール日時： </source>
        <translation>Last installed: </translation>
    </message>
    <message>
        <source>アンインストール</source>
        <translation>Uninstall</translation>
    </message>
    <message>
        <source>アンインストール対象</source>
        <translation>Application to uninstall</translation>
    </message>
    <message>
        <source>変更(&amp;H)...</source>
        <translation>C&amp;hange...</translation>
    </message>
    <message>
        <source>削除するファイル/フォルダにチェックを入れます。</source>
        <translation>Check the files and folders to remove.</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>パス</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>アンインストール(&amp;U)</source>
        <translation>&amp;Uninstall</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>チェックを入れる(&amp;C)</source>
        <translation>&amp;Check</translation>
    </message>
    <message>
        <source>チェックを外す(&amp;U)</source>
        <translation>&amp;Uncheck</translation>
    </message>
    <message>
        <source>チェックの反転(&amp;R)</source>
        <translation>Inve&amp;rt Checks</translation>
    </message>
    <message>
        <source>すべて選択(&amp;A)</source>
        <translation>Select &amp;All</translation>
    </message>
    <message>
        <source>選択の解除(&amp;D)</source>
        <translation>&amp;Deselect</translation>
    </message>
    <message>
        <source>選択の反転(&amp;E)</source>
        <translation>Invert S&amp;election</translation>
    </message>
    <message>
        <source>削除するファイルまたはフォルダにチェックが入っていません。</source>
        <translation>No file or folder to remove is checked.</translation>
    </message>
    <message>
        <source>アンインストールを開始してよろしいですか？</source>
        <translation>Start the uninstallation?</translation>
    </message>
</context>
<context>
    <name>qm::TfrmWizard</name>
    <message>
        <source>(なし)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>インストールウィザード</source>
        <translation>Install wizard</translation>
    </message>
    <message>
        <source>アーカイブの選択</source>
        <translation>Choose Archive</translation>
    </message>
    <message>
        <source>すべてのアーカイブ (%1)</source>
        <translation>All archives (%1)</translation>
    </message>
    <message>
        <source>すべてのファイル(*.*) (*)</source>
        <translation>All files (*.*) (*)</translation>
    </message>
    <message>
        <source>LZH書庫(*.lzh;*.lha;*.lzs) (%1)</source>
        <translation>LZH archives (*.lzh;*.lha;*.lzs) (%1)</translation>
    </message>
    <message>
        <source>ZIP書庫(*.zip;*.jar) (%1)</source>
        <translation>ZIP archives (*.zip;*.jar) (%1)</translation>
    </message>
    <message>
        <source>CAB書庫(*.cab) (%1)</source>
        <translation>CAB archives (*.cab) (%1)</translation>
    </message>
    <message>
        <source>自己解凍書庫(*.exe) (%1)</source>
        <translation>Self-extracting archives (*.exe) (%1)</translation>
    </message>
    <message>
        <source>インストールするアーカイブを選択します。</source>
        <translation>Choose the archive to install.</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File Name</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>インストール方法を選択します。</source>
        <translation>Choose how to install.</translation>
    </message>
    <message>
        <source>新規インストール</source>
        <translation>New install</translation>
    </message>
    <message>
        <source>インストール済みアプリケーションのアップデート</source>
        <translation>Update an installed application</translation>
    </message>
    <message>
        <source>対象</source>
        <translation>Application</translation>
    </message>
    <message>
        <source>選択...</source>
        <translation>Choose...</translation>
    </message>
    <message>
        <source>アップデートオプション</source>
        <translation>Update options</translation>
    </message>
    <message>
        <source>上書きインストール</source>
        <translation>Overwrite install</translation>
    </message>
    <message>
        <source>自動クリーンインストール</source>
        <translation>Automatic clean install</translation>
    </message>
    <message>
        <source>カスタムクリーンインストール</source>
        <translation>Custom clean install</translation>
    </message>
    <message>
        <source>アプリケーションの名前とバージョンを設定します。</source>
        <translation>Set the application&apos;s name and version.</translation>
    </message>
    <message>
        <source>アプリケーション名</source>
        <translation>Application name</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>インストール先フォルダを指定します。</source>
        <translation>Choose the install folder.</translation>
    </message>
    <message>
        <source>インストール先</source>
        <translation>Install folder</translation>
    </message>
    <message>
        <source>サブフォルダを作成する</source>
        <translation>Create a subfolder</translation>
    </message>
    <message>
        <source>アプリケーションのメインプログラム等を指定します。</source>
        <translation>Choose the application&apos;s main program and help file.</translation>
    </message>
    <message>
        <source>メイン実行ファイル</source>
        <translation>Main program</translation>
    </message>
    <message>
        <source>ヘルプファイル</source>
        <translation>Help file</translation>
    </message>
    <message>
        <source>ショートカットを設定します。</source>
        <translation>Set up the shortcuts.</translation>
    </message>
    <message>
        <source>スタートメニューに登録</source>
        <translation>Add to the application menu</translation>
    </message>
    <message>
        <source>デスクトップに登録</source>
        <translation>Add to the desktop</translation>
    </message>
    <message>
        <source>ヘルプファイルへのショートカットを作成する</source>
        <translation>Create a shortcut to the help file</translation>
    </message>
    <message>
        <source>コマンドとして登録する (端末から名前で起動)</source>
        <translation>Make it a command (start it by name in a terminal)</translation>
    </message>
    <message>
        <source>インストール対象</source>
        <translation>Install for</translation>
    </message>
    <message>
        <source>現在のユーザー</source>
        <translation>Current user</translation>
    </message>
    <message>
        <source>すべてのユーザー</source>
        <translation>All users</translation>
    </message>
    <message>
        <source>アプリケーションをインストールする準備ができました。</source>
        <translation>Ready to install the application.</translation>
    </message>
    <message>
        <source>インストールボタンを押すと、インストールを開始します。</source>
        <translation>Press Install to start the installation.</translation>
    </message>
    <message>
        <source>インストール完了後、アプリケーションを起動する</source>
        <translation>Start the application after installing</translation>
    </message>
    <message>
        <source>インストール完了後、ヘルプを表示する</source>
        <translation>Show the help after installing</translation>
    </message>
    <message>
        <source>インストール完了後、Quillmateを閉じる</source>
        <translation>Close Quillmate after installing</translation>
    </message>
    <message>
        <source>インストール</source>
        <translation>Install</translation>
    </message>
    <message>
        <source>&lt;前へ(&amp;B)</source>
        <translation>&lt; &amp;Back</translation>
    </message>
    <message>
        <source>次へ(&amp;N)&gt;</source>
        <translation>&amp;Next &gt;</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>ファイルは %1 にインストールされます。</source>
        <translation>The files will be installed to %1.</translation>
    </message>
    <message>
        <source>アップデートするアプリケーションを選択してください。</source>
        <translation>Please choose the application to update.</translation>
    </message>
    <message>
        <source>ファイルシステムのルートにはインストールできません。</source>
        <translation>Nothing can be installed into the root of the file system.</translation>
    </message>
    <message>
        <source>インストール先フォルダを選択します。</source>
        <translation>Choose the install folder.</translation>
    </message>
    <message>
        <source>ショートカットを作成する場所を選択します。</source>
        <translation>Choose where to create shortcuts.</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; が見つかりません。</source>
        <translation>The file &quot;%1&quot; was not found.</translation>
    </message>
</context>
</TS>
