<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>BracketTextGroup</name>
    <message>
        <source>未設定のパラメータが存在します。</source>
        <translation>Some required fields are empty.</translation>
    </message>
    <message>
        <source>ブラケット</source>
        <translation>Bracket</translation>
    </message>
    <message>
        <source>素材</source>
        <translation>Material</translation>
    </message>
    <message>
        <source>ワイヤー</source>
        <translation>Wire</translation>
    </message>
    <message>
        <source>メーカー</source>
        <translation>Manufacturer</translation>
    </message>
    <message>
        <source>メモ</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>向き</source>
        <translation>Side</translation>
    </message>
    <message>
        <source>外側（唇側）</source>
        <translation>Outer (labial)</translation>
    </message>
    <message>
        <source>内側（舌側）</source>
        <translation>Inner (lingual)</translation>
    </message>
    <message>
        <source>次の文字はbracket.csvに保存できません: %1</source>
        <translation>These characters cannot be saved in bracket.csv: %1</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(Kestrin)</source>
        <translation>About Kestrin</translation>
    </message>
</context>
<context>
    <name>CBracketDlg</name>
    <message>
        <source>ブラケット画像の追加</source>
        <translation>Add Bracket Picture</translation>
    </message>
    <message>
        <source>トリミング</source>
        <translation>Trim</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CBracketEditDlg</name>
    <message>
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>配置したブラケットは破棄されます。別の写真を開きますか？</source>
        <translation>The placed brackets will be discarded. Open another photograph?</translation>
    </message>
</context>
<context>
    <name>CommandLayout</name>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>ブラケット</source>
        <translation>Brackets</translation>
    </message>
    <message>
        <source>作業領域(&amp;W)</source>
        <translation>&amp;Workspace</translation>
    </message>
    <message>
        <source>画像数(&amp;A)</source>
        <translation>P&amp;anes</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟ(&amp;C)</source>
        <translation>&amp;Clip</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄ(&amp;B)</source>
        <translation>&amp;Bracket</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
</context>
<context>
    <name>CommandTable</name>
    <message>
        <source>写真を開く(&amp;O)...</source>
        <translation>&amp;Open Photograph...</translation>
    </message>
    <message>
        <source>写真データベースまたはﾌｧｲﾙから写真を開く
写真を開く</source>
        <translation>Open a photograph from the photo database or a file
Open Photograph</translation>
    </message>
    <message>
        <source>画像保存(&amp;A)...</source>
        <translation>Save Picture &amp;As...</translation>
    </message>
    <message>
        <source>作業中の画像に名前を付けて保存
名前をつけて保存</source>
        <translation>Save the working picture under a new name
Save As</translation>
    </message>
    <message>
        <source>相談を保存</source>
        <translation>Save Consultation</translation>
    </message>
    <message>
        <source>相談をファイルに保存し、後で再開できるようにする
相談を保存</source>
        <translation>Save the consultation to a file so that it can be resumed later
Save Consultation</translation>
    </message>
    <message>
        <source>相談を開く…</source>
        <translation>Open Consultation…</translation>
    </message>
    <message>
        <source>保存した相談を開いて再開する
相談を開く</source>
        <translation>Open a saved consultation and resume it
Open Consultation</translation>
    </message>
    <message>
        <source>画像をMolvexDBに追加(&amp;W)</source>
        <translation>Add Picture to Molvex&amp;DB</translation>
    </message>
    <message>
        <source>表示中の画像をMolvexﾃﾞｰﾀﾍﾞｰｽに追加登録</source>
        <translation>Register the picture shown in the Molvex database</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>印刷(&amp;P)...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>作業中のﾌｧｲﾙを印刷
印刷</source>
        <translation>Print the working picture
Print</translation>
    </message>
    <message>
        <source>印刷ﾌﾟﾚﾋﾞｭｰ(&amp;V)</source>
        <translation>Print Pre&amp;view</translation>
    </message>
    <message>
        <source>ﾌﾙｽｸﾘｰﾝで表示
印刷ﾌﾟﾚﾋﾞｭｰ</source>
        <translation>Show the printed page in full
Print Preview</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀの設定(&amp;R)...</source>
        <translation>P&amp;rinter Setup...</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀ/印刷設定の変更
ﾌﾟﾘﾝﾀの設定</source>
        <translation>Change the printer and printing options
Printer Setup</translation>
    </message>
    <message>
        <source>Kestrinの終了(&amp;X)</source>
        <translation>E&amp;xit Kestrin</translation>
    </message>
    <message>
        <source>Kestrinの終了
Kestrinの終了</source>
        <translation>Quit Kestrin
Exit Kestrin</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Zoom In</translation>
    </message>
    <message>
        <source>拡大
拡大</source>
        <translation>Zoom in
Zoom In</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>縮小
縮小</source>
        <translation>Zoom out
Zoom Out</translation>
    </message>
    <message>
        <source>ﾌｨｯﾄｻｲｽﾞ</source>
        <translation>Fit to Window</translation>
    </message>
    <message>
        <source>領域に画像サイズを合わせる
ﾌｨｯﾄｻｲｽﾞ</source>
        <translation>Fit the picture to the pane
Fit to Window</translation>
    </message>
    <message>
        <source>画像数 - 1
1</source>
        <translation>Number of panes - 1
1 pane</translation>
    </message>
    <message>
        <source>画像数 - 2
2</source>
        <translation>Number of panes - 2
2 panes</translation>
    </message>
    <message>
        <source>画像数 - 4
4</source>
        <translation>Number of panes - 4
4 panes</translation>
    </message>
    <message>
        <source>前の画像(&amp;P)</source>
        <translation>&amp;Previous Pane</translation>
    </message>
    <message>
        <source>前の画像を選択
前の画像</source>
        <translation>Select the previous working pane
Previous Pane</translation>
    </message>
    <message>
        <source>次の画像(&amp;N)</source>
        <translation>&amp;Next Pane</translation>
    </message>
    <message>
        <source>次の画像を選択
次の画像</source>
        <translation>Select the next working pane
Next Pane</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟ領域指定(&amp;A)</source>
        <translation>Define Clip &amp;Area</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟ領域指定
ｸﾘｯﾌﾟ領域指定</source>
        <translation>Outline the teeth with a clip area
Define Clip Area</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟの終了
Ok</source>
        <translation>Finish the clip area
OK</translation>
    </message>
    <message>
        <source>閉曲線(&amp;C)</source>
        <translation>&amp;Close Curve</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟ領域を閉曲線として閉じる
閉曲線</source>
        <translation>Close the clip area into a closed curve
Close Curve</translation>
    </message>
    <message>
        <source>ﾎﾟｲﾝﾄ削除(&amp;P)</source>
        <translation>Delete Last &amp;Point</translation>
    </message>
    <message>
        <source>最後に追加されたﾎﾟｲﾝﾄを削除
ﾎﾟｲﾝﾄ削除</source>
        <translation>Delete the point added last
Delete Last Point</translation>
    </message>
    <message>
        <source>指定ﾎﾟｲﾝﾄ複製(&amp;U)</source>
        <translation>D&amp;uplicate Selected Point</translation>
    </message>
    <message>
        <source>指定ﾎﾟｲﾝﾄの複製
指定ﾎﾟｲﾝﾄ複製</source>
        <translation>Duplicate the selected point
Duplicate Selected Point</translation>
    </message>
    <message>
        <source>指定ﾎﾟｲﾝﾄ削除(&amp;D)</source>
        <translation>&amp;Delete Selected Point</translation>
    </message>
    <message>
        <source>指定ﾎﾟｲﾝﾄの削除
指定ﾎﾟｲﾝﾄ削除</source>
        <translation>Delete the selected point
Delete Selected Point</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟ削除(&amp;D)</source>
        <translation>&amp;Delete Clip</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟを削除
ｸﾘｯﾌﾟ削除</source>
        <translation>Delete the clip area
Delete Clip</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟ削除(&amp;A)</source>
        <translation>Delete Clip &amp;Area</translation>
    </message>
    <message>
        <source>拡大・縮小(&amp;Z)</source>
        <translation>Resi&amp;ze</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄの拡大・縮小
拡大・縮小</source>
        <translation>Enlarge or shrink the bracket
Resize</translation>
    </message>
    <message>
        <source>移動(&amp;M)</source>
        <translation>&amp;Move</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄの移動
移動</source>
        <translation>Move the bracket
Move</translation>
    </message>
    <message>
        <source>回転(&amp;R)</source>
        <translation>&amp;Rotate</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄの回転
回転</source>
        <translation>Rotate the bracket
Rotate</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄの削除
削除</source>
        <translation>Delete the bracket
Delete</translation>
    </message>
    <message>
        <source>明度･ｺﾝﾄﾗｽﾄ調整(&amp;B)</source>
        <translation>&amp;Brightness/Contrast...</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄの明度･ｺﾝﾄﾗｽﾄ調整
明度･ｺﾝﾄﾗｽﾄ調整</source>
        <translation>Adjust the brightness and contrast of the bracket
Brightness/Contrast</translation>
    </message>
    <message>
        <source>ｶﾗｰﾊﾞﾗﾝｽ(&amp;C)</source>
        <translation>&amp;Colour Balance...</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄのｶﾗｰﾊﾞﾗﾝｽ
ｶﾗｰﾊﾞﾗﾝｽ</source>
        <translation>Adjust the colour balance of the bracket
Colour Balance</translation>
    </message>
    <message>
        <source>情報表示</source>
        <translation>Show Information</translation>
    </message>
    <message>
        <source>情報表示
情報表示</source>
        <translation>Show bracket information tips
Show Information</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰ(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示
ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示</source>
        <translation>Show or hide the status bar
Toggle Status Bar</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄ ﾋﾞｭｰ(&amp;B)</source>
        <translation>&amp;Bracket List</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄ ﾂｰﾙ(&amp;R)</source>
        <translation>B&amp;racket Toolbar</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(Kestrin) (&amp;A)</source>
        <translation>&amp;About Kestrin</translation>
    </message>
    <message>
        <source>ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示
ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>Show program information, version and copyright
About</translation>
    </message>
    <message>
        <source>鏡像表示(&amp;M)</source>
        <translation>&amp;Mirror View</translation>
    </message>
    <message>
        <source>画面を左右反転して鏡に映したように表示
鏡像表示</source>
        <translation>Show every pane flipped left to right, as in a mirror
Mirror View</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>直前の変更を元に戻す
元に戻す</source>
        <translation>Undo the last change
Undo</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>元に戻した変更をやり直す
やり直し</source>
        <translation>Redo the change that was undone
Redo</translation>
    </message>
</context>
<context>
    <name>ConsultationCommands</name>
    <message>
        <source>相談ファイル (*.kestrin)</source>
        <translation>Consultation files (*.kestrin)</translation>
    </message>
    <message>
        <source>相談を保存</source>
        <translation>Save Consultation</translation>
    </message>
    <message>
        <source>写真を読み込めないため、相談を保存できません。</source>
        <translation>The consultation cannot be saved because the photograph cannot be read.</translation>
    </message>
    <message>
        <source>相談を保存しました: </source>
        <translation>Consultation saved: </translation>
    </message>
    <message>
        <source>相談を開く</source>
        <translation>Open Consultation</translation>
    </message>
    <message>
        <source>相談の写真が見つかりません。写真を選んでください。
</source>
        <translation>The consultation&apos;s photograph cannot be found. Please choose the photograph.
</translation>
    </message>
    <message>
        <source>写真を選ぶ</source>
        <translation>Choose Photograph</translation>
    </message>
    <message>
        <source>写真の内容が相談の保存時から変わっています。ブラケットの位置が合わないことがあります。</source>
        <translation>The photograph has changed since the consultation was saved. The brackets may not line up.</translation>
    </message>
    <message>
        <source>この写真の保存された相談があります。再開しますか？</source>
        <translation>A saved consultation exists for this photograph. Resume it?</translation>
    </message>
</context>
<context>
    <name>ConsultationFile</name>
    <message>
        <source>相談ファイルを読み込めません。</source>
        <translation>The consultation file cannot be read.</translation>
    </message>
    <message>
        <source>相談ファイルが大きすぎるため開けません。</source>
        <translation>The consultation file cannot be opened because it is too large.</translation>
    </message>
    <message>
        <source>相談ファイルが壊れているため開けません。</source>
        <translation>The consultation file cannot be opened because it is damaged.</translation>
    </message>
    <message>
        <source>この版の相談ファイルには対応していないため開けません。</source>
        <translation>The consultation file cannot be opened because this version of the file is not supported.</translation>
    </message>
    <message>
        <source>相談ファイル内のブラケット画像が壊れているため開けません。</source>
        <translation>The consultation file cannot be opened because a bracket picture in it is damaged.</translation>
    </message>
    <message>
        <source>相談の保存に失敗しました。</source>
        <translation>The consultation could not be saved.</translation>
    </message>
    <message>
        <source>写真を読み込めないため、相談を開けません。</source>
        <translation>The consultation cannot be opened because the photograph cannot be read.</translation>
    </message>
    <message>
        <source>写真の大きさが保存時と異なるため、相談を開けません。</source>
        <translation>The consultation cannot be opened because the photograph&apos;s size differs from when it was saved.</translation>
    </message>
</context>
<context>
    <name>GalleryCatalogue</name>
    <message>
        <source>
フォルダ: </source>
        <translation>
Folder: </translation>
    </message>
    <message>
        <source>ディスクの空き容量が足りません</source>
        <translation>there is not enough free disk space</translation>
    </message>
    <message>
        <source>書き込みが許可されていないか、書き込みに失敗しました</source>
        <translation>writing is not permitted or failed</translation>
    </message>
    <message>
        <source>ギャラリーに保存できません（%1）。変更は保存されていません。</source>
        <translation>Cannot save to the gallery (%1). The change has not been saved.</translation>
    </message>
    <message>
        <source>この項目は他の端末で変更または削除されています。変更は保存されていません。一覧を読み直します。</source>
        <translation>This entry has been changed or deleted on another computer. The change has not been saved. The list will be reloaded.</translation>
    </message>
    <message>
        <source>次の文字はbracket.csvに保存できません: %1</source>
        <translation>These characters cannot be saved in bracket.csv: %1</translation>
    </message>
    <message>
        <source>ギャラリーは他の端末で変更中です。変更は保存されていません。しばらくしてからやり直してください。</source>
        <translation>The gallery is being changed on another computer. The change has not been saved. Please try again in a moment.</translation>
    </message>
    <message>
        <source>画像を読み込めません。ギャラリーには何も追加されていません。</source>
        <translation>The picture cannot be read. Nothing has been added to the gallery.</translation>
    </message>
    <message>
        <source>ギャラリーのフォルダが見つかりません。変更は保存されていません。</source>
        <translation>The gallery folder cannot be found. The change has not been saved.</translation>
    </message>
    <message>
        <source>bracket.csvが見つかりません</source>
        <translation>bracket.csv cannot be found</translation>
    </message>
    <message>
        <source>%1行目: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>重複した画像: %1（%2行目と同じ）</source>
        <translation>Duplicate picture: %1 (same as line %2)</translation>
    </message>
    <message>
        <source>画像がありません: </source>
        <translation>Missing picture: </translation>
    </message>
    <message>
        <source>読み込めない画像: </source>
        <translation>Unreadable picture: </translation>
    </message>
    <message>
        <source>どの行にもない画像: </source>
        <translation>Picture not listed on any line: </translation>
    </message>
</context>
<context>
    <name>GalleryCommands</name>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>画像を読み込めません。ギャラリーには何も追加されていません。
</source>
        <translation>The picture cannot be read. Nothing has been added to the gallery.
</translation>
    </message>
    <message>
        <source>「%1」をギャラリーから削除しますか？
画像ファイル %2 は残ります。</source>
        <translation>Delete &quot;%1&quot; from the gallery?
The picture file %2 is kept.</translation>
    </message>
    <message>
        <source>画像ファイル (*.bmp *.jpg *.jpeg *.png)</source>
        <translation>Picture files (*.bmp *.jpg *.jpeg *.png)</translation>
    </message>
</context>
<context>
    <name>GalleryListModel</name>
    <message>
        <source>メーカー: </source>
        <translation>Manufacturer: </translation>
    </message>
    <message>
        <source>メモ: </source>
        <translation>Notes: </translation>
    </message>
    <message>
        <source>内側（舌側）</source>
        <translation>Inner (lingual)</translation>
    </message>
    <message>
        <source>外側（唇側）</source>
        <translation>Outer (labial)</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄ</source>
        <translation>Bracket</translation>
    </message>
    <message>
        <source>素材</source>
        <translation>Material</translation>
    </message>
    <message>
        <source>ﾜｲﾔｰ</source>
        <translation>Wire</translation>
    </message>
</context>
<context>
    <name>HeadlessExport</name>
    <message>
        <source>使い方: kestrin --export 相談ファイル.kestrin 出力.jpg|出力.pdf</source>
        <translation>Usage: kestrin --export CONSULTATION.kestrin OUTPUT.jpg|OUTPUT.pdf</translation>
    </message>
    <message>
        <source>相談の写真が見つかりません: </source>
        <translation>The consultation&apos;s photograph cannot be found: </translation>
    </message>
    <message>
        <source>写真の内容が相談の保存時から変わっています: </source>
        <translation>The photograph has changed since the consultation was saved: </translation>
    </message>
    <message>
        <source>PDFを書き込めません: </source>
        <translation>Cannot write the PDF: </translation>
    </message>
    <message>
        <source>画像の保存に失敗しました: </source>
        <translation>Failed to save the picture: </translation>
    </message>
</context>
<context>
    <name>HostDialogs</name>
    <message>
        <source>一時フォルダ %1 は他のユーザーが所有しているか、他のユーザーが書き込めるため使用できません。</source>
        <translation>The temporary folder %1 cannot be used because it is owned by, or writable by, another user.</translation>
    </message>
    <message>
        <source>一時フォルダ %1 を使用できません。</source>
        <translation>The temporary folder %1 cannot be used.</translation>
    </message>
</context>
<context>
    <name>KestrinGallery</name>
    <message>
        <source>未設定のパラメータが存在します。(--name, --material, --wire)</source>
        <translation>Some required fields are empty. (--name, --material, --wire)</translation>
    </message>
    <message>
        <source>画像を読み込めません。ギャラリーには何も追加されていません。
</source>
        <translation>The picture cannot be read. Nothing has been added to the gallery.
</translation>
    </message>
    <message>
        <source>ギャラリーにその画像の項目がありません: </source>
        <translation>The gallery has no entry for that picture: </translation>
    </message>
    <message>
        <source>未設定のパラメータが存在します。</source>
        <translation>Some required fields are empty.</translation>
    </message>
    <message>
        <source>次の文字はbracket.csvに保存できません: </source>
        <translation>These characters cannot be saved in bracket.csv: </translation>
    </message>
    <message>
        <source>bracket.csvが見つかりません
</source>
        <translation>bracket.csv cannot be found
</translation>
    </message>
</context>
<context>
    <name>PaneOutput</name>
    <message>
        <source>この画像は登録済みです。もう一度登録しますか？</source>
        <translation>This picture has already been registered. Register it again?</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀの設定</source>
        <translation>Printer Setup</translation>
    </message>
    <message>
        <source>鏡像で保存</source>
        <translation>Save mirrored</translation>
    </message>
</context>
<context>
    <name>PhotoCatalog</name>
    <message>
        <source>写真データベース %1 に接続できません（%2）。</source>
        <translation>Cannot connect to the photo database %1 (%2).</translation>
    </message>
</context>
<context>
    <name>PhotoChooserDialog</name>
    <message>
        <source>写真を開く - </source>
        <translation>Open Photograph - </translation>
    </message>
    <message>
        <source>患者IDで検索</source>
        <translation>Search by patient ID</translation>
    </message>
    <message>
        <source>その他のファイル…</source>
        <translation>Other File…</translation>
    </message>
    <message>
        <source>写真データベースに写真がありません。「その他のファイル…」で画像を選んでください。</source>
        <translation>The photo database holds no photographs. Choose a picture with &quot;Other File…&quot;.</translation>
    </message>
    <message>
        <source>現在の患者を設定できません: %1PatientID.TMP</source>
        <translation>Cannot set the current patient: %1PatientID.TMP</translation>
    </message>
    <message>
        <source>(すべての患者)</source>
        <translation>(All patients)</translation>
    </message>
    <message>
        <source>
(ファイルがありません)</source>
        <translation>
(file missing)</translation>
    </message>
    <message>
        <source>画像を開く</source>
        <translation>Open Picture</translation>
    </message>
    <message>
        <source>画像 (*.jpg *.jpeg *.png *.bmp *.tif *.tiff);;すべてのファイル (*)</source>
        <translation>Pictures (*.jpg *.jpeg *.png *.bmp *.tif *.tiff);;All files (*)</translation>
    </message>
</context>
<context>
    <name>PhotoRegistration</name>
    <message>
        <source>写真データベース %1 に接続できないか、接続が切れたため、画像を登録できませんでした。</source>
        <translation>The picture could not be registered because the photo database %1 cannot be reached or the connection was lost.</translation>
    </message>
    <message>
        <source>%1 は他のプログラムが使用中のため、画像を登録できませんでした。</source>
        <translation>The picture could not be registered because %1 is in use by another program.</translation>
    </message>
    <message>
        <source>%1 が壊れているか写真データベースではないため、画像を登録できませんでした。</source>
        <translation>The picture could not be registered because %1 is damaged or is not a photo database.</translation>
    </message>
    <message>
        <source>%1 の空き容量が足りないため、画像を登録できませんでした。</source>
        <translation>The picture could not be registered because there is not enough free space on %1.</translation>
    </message>
    <message>
        <source>%1 に書き込む権限がないため、画像を登録できませんでした。</source>
        <translation>The picture could not be registered because there is no permission to write to %1.</translation>
    </message>
    <message>
        <source>%1 が通常のファイルではないため、画像を登録できませんでした。</source>
        <translation>The picture could not be registered because %1 is not a regular file.</translation>
    </message>
    <message>
        <source>%1 は他のユーザーが所有しているか書き込めるため、画像を登録できませんでした。</source>
        <translation>The picture could not be registered because %1 is owned by, or writable by, another user.</translation>
    </message>
    <message>
        <source>%1 に画像を登録できませんでした。</source>
        <translation>The picture could not be registered in %1.</translation>
    </message>
    <message>
        <source>患者が選択されていないため、画像を登録できませんでした。</source>
        <translation>The picture could not be registered because no patient is selected.</translation>
    </message>
    <message>
        <source>写真データベース %1 との接続が切れたため、%2 が登録されたか確認できませんでした。画像は残してあります。</source>
        <translation>The connection to the photo database %1 was lost, so it could not be confirmed whether %2 was registered. The picture has been kept.</translation>
    </message>
    <message>
        <source>患者 %1 の画像として %2 を登録しました。</source>
        <translation>Registered %2 as a picture of patient %1.</translation>
    </message>
</context>
<context>
    <name>PrintLayout</name>
    <message>
        <source>患者ID: </source>
        <translation>Patient ID: </translation>
    </message>
</context>
<context>
    <name>QBrackListDiag</name>
    <message>
        <source>ﾌﾟﾚﾋﾞｭｰ</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>絞り込み（ブラケット・素材・ワイヤー）</source>
        <translation>Filter (bracket, material, wire)</translation>
    </message>
    <message>
        <source>bracket.csvが見つかりません</source>
        <translation>bracket.csv cannot be found</translation>
    </message>
</context>
<context>
    <name>QDialogBrightness</name>
    <message>
        <source>明度・ｺﾝﾄﾗｽﾄ</source>
        <translation>Brightness/Contrast</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>明度 :</source>
        <translation>Brightness :</translation>
    </message>
    <message>
        <source>ｺﾝﾄﾗｽﾄ :</source>
        <translation>Contrast :</translation>
    </message>
    <message>
        <source>ﾌﾟﾚﾋﾞｭｰ</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>QDialogColorBalance</name>
    <message>
        <source>ｶﾗｰﾊﾞﾗﾝｽ</source>
        <translation>Colour Balance</translation>
    </message>
    <message>
        <source>赤 :</source>
        <translation>Red :</translation>
    </message>
    <message>
        <source>緑 :</source>
        <translation>Green :</translation>
    </message>
    <message>
        <source>青 :</source>
        <translation>Blue :</translation>
    </message>
    <message>
        <source>ﾌﾟﾚﾋﾞｭｰ</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>QTips</name>
    <message>
        <source>TIPS</source>
        <translation>TIPS</translation>
    </message>
</context>
<context>
    <name>Res</name>
    <message>
        <source>Kestrin</source>
        <translation>Kestrin</translation>
    </message>
    <message>
        <source>ﾚﾃﾞｨ</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>この画像は原画参照用のためﾌﾞﾗｹｯﾄを貼り付けできません！</source>
        <translation>This pane shows the original photograph for reference; brackets cannot be pasted on it!</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟ領域を指定してからﾌﾞﾗｹｯﾄを貼り付けてください。</source>
        <translation>Please define the clip area before pasting brackets.</translation>
    </message>
    <message>
        <source>画像の保存に失敗しました。</source>
        <translation>Failed to save the picture.</translation>
    </message>
    <message>
        <source>Clip Tool</source>
        <translation>Clip Tool</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄ ﾘｽﾄ</source>
        <translation>Bracket List</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｹｯﾄ : %1|素材 : %2|ﾜｲﾔｰ :  %3|</source>
        <translation>Bracket : %1|Material : %2|Wire :  %3|</translation>
    </message>
    <message>
        <source>指定領域からﾌﾞﾗｹｯﾄを削除してよろしいですか？</source>
        <translation>Delete the bracket from the clip area?</translation>
    </message>
    <message>
        <source>貼り付けたﾌﾞﾗｹｯﾄはすべて削除されます。新しいｸﾘｯﾌﾟ領域を指定しますか？</source>
        <translation>All pasted brackets will be deleted. Define a new clip area?</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟ領域のﾎﾟｲﾝﾄが3点未満のため、ﾌﾞﾗｹｯﾄは表示されません。ｸﾘｯﾌﾟ領域を指定し直してください。</source>
        <translation>The clip area has fewer than 3 points, so no brackets are shown. Please define the clip area again.</translation>
    </message>
</context>
<context>
    <name>StampPainter</name>
    <message>
        <source>シミュレーション </source>
        <translation>Simulation </translation>
    </message>
</context>
<context>
    <name>Undo</name>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>やり直し: %1</source>
        <translation>Redo %1</translation>
    </message>
    <message>
        <source>元に戻す: %1</source>
        <translation>Undo %1</translation>
    </message>
    <message>
        <source>やり直し: %1(&amp;R)</source>
        <translation>&amp;Redo %1</translation>
    </message>
    <message>
        <source>元に戻す: %1(&amp;U)</source>
        <translation>&amp;Undo %1</translation>
    </message>
    <message>
        <source>ペースト</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>置き換え</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>移動</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>拡大縮小</source>
        <translation>Resize</translation>
    </message>
    <message>
        <source>回転</source>
        <translation>Rotate</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>明るさ・コントラスト</source>
        <translation>Brightness/Contrast</translation>
    </message>
    <message>
        <source>カラーバランス</source>
        <translation>Color Balance</translation>
    </message>
    <message>
        <source>ポイント追加</source>
        <translation>Add Point</translation>
    </message>
    <message>
        <source>ポイント移動</source>
        <translation>Move Point</translation>
    </message>
    <message>
        <source>ポイント削除</source>
        <translation>Delete Point</translation>
    </message>
    <message>
        <source>ポイント複製</source>
        <translation>Duplicate Point</translation>
    </message>
    <message>
        <source>クリップ削除</source>
        <translation>Delete Clip</translation>
    </message>
    <message>
        <source>閉曲線</source>
        <translation>Close Curve</translation>
    </message>
    <message>
        <source>クリップ確定</source>
        <translation>Confirm Clip</translation>
    </message>
    <message>
        <source>クリップ領域指定</source>
        <translation>Define Clip Area</translation>
    </message>
    <message>
        <source>画像数</source>
        <translation>Pane Count</translation>
    </message>
</context>
</TS>
