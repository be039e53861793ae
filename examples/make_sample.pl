#!/usr/bin/perl
# Writes the sample address workbook that `make run` opens: perl make_sample.pl sample.xls
# (Debian package libspreadsheet-writeexcel-perl). Names and addresses are made up.
use strict;
use warnings;
use utf8;
use Spreadsheet::WriteExcel;

my $out = shift or die "usage: $0 OUT.xls\n";
my $wb = Spreadsheet::WriteExcel->new($out) or die "cannot write $out\n";
my @header = qw(宛先 郵便番号 住所１ 住所２ 会社名 肩書き 敬称 連名 敬称2 コード 印刷コード);

my @family = (
    ['山田 太郎', '100-0013', '東京都千代田区霞が関1-3-2', '', '', '', '様', '花子', '様', '10000131-3-2', '1'],
    ['佐藤 一郎', '060-0001', '北海道札幌市中央区北一条西2-1', 'さっぽろハイツ305', '', '', '', '', '', '0600001-2-1-305', '1'],
    ['鈴木 美咲', '980-0811', '宮城県仙台市青葉区一番町3-7-1', '', '', '', '様', '翔太', '様', '9800811-3-7-1', ''],
    ['高橋 健', '530-0001', '大阪府大阪市北区梅田1-1-3', '大阪駅前第3ビル12F', '', '', '', '', '', '5300001-1-1-3', '1'],
    ['田中 由美', '812-0011', '福岡県福岡市博多区博多駅前2-19-24', '', '', '', '様', '', '', '', ''],
    ['伊藤 誠', '460-0008', '愛知県名古屋市中区栄3-5-12', '', '', '', '様', '陽菜', 'ちゃん', '4600008-3-5-12', '1'],
);
my @business = (
    ['渡辺 大輔', '600-8216', '京都府京都市下京区烏丸通七条下ル', '京都タワービル8F', '株式会社ミナト商事', '代表取締役', '様', '', '', '6008216-8', '1'],
    ['中村 拓也', '900-0015', '沖縄県那覇市久茂地1-1-1', '', '有限会社スズキ', '営業部長', '様', '', '', '9000015-1-1-1', '1'],
    ['小林 彩', '220-0012', '神奈川県横浜市西区みなとみらい2-2-1', 'ランドマークタワー20F', '合同会社ヨコハマ', '主任', '', '', '', '2200012-2-2-1-20F', '1'],
    ['総務部', '150-0002', '東京都渋谷区渋谷2-21-1', '', '株式会社サンプル', '', '御中', '', '', '', ''],
);

sub sheet {
    my ($name, $rows) = @_;
    my $ws = $wb->add_worksheet($name);
    $ws->set_column(0, 0, 14);
    $ws->set_column(1, 1, 10);
    $ws->set_column(2, 3, 32);
    $ws->set_column(4, 5, 20);
    $ws->set_column(9, 9, 18);
    $ws->write_string(0, $_, $header[$_]) for 0 .. $#header;
    for my $r (0 .. $#$rows) {
        for my $c (0 .. $#{ $rows->[$r] }) {
            my $v = $rows->[$r][$c];
            $ws->write_string($r + 1, $c, $v) if $v ne '';
        }
    }
}

sheet('家族・友人', \@family);
sheet('仕事関係', \@business);
$wb->close();
