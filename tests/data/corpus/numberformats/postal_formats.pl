#!/usr/bin/perl
# A small address list whose postal codes are numbers shown through number formats, written
# with Spreadsheet::WriteExcel 2.40 (BIFF8 FORMAT and XF records).
# usage: perl gen/postal_formats.pl OUTFILE
use strict;
use warnings;
use utf8;
use Spreadsheet::WriteExcel;

my ($out) = @ARGV;
my $wb = Spreadsheet::WriteExcel->new($out) or die "cannot create $out";
my $ws = $wb->add_worksheet('住所録');
my @header = ('宛先', '郵便番号', '住所１', '住所２', '会社名', '肩書き',
              '敬称', '連名', '敬称2', 'コード', '印刷コード', '書式');
$ws->write_string(0, $_, $header[$_]) for 0 .. $#header;
# name, postal code (a number), format, address
my @rows = (
    ['北海 一郎', 600001, '000-0000', '北海道札幌市中央区北一条西'],
    ['北海 二郎', 600001, '[<=999]000;[<=99999]000-00;000-0000', '北海道札幌市中央区北一条西'],
    ['北海 三郎', 600001, '0000000', '北海道札幌市中央区北一条西'],
    ['京都 四郎', 6008216, '[<=999]000;[<=99999]000-00;000-0000', '京都府京都市下京区東塩小路町'],
    ['北海 五郎', 600, '[<=999]000;[<=99999]000-00;000-0000', '北海道札幌市中央区'],
    ['北海 六郎', 6000, '00000', '北海道札幌市中央区'],
    ['東京 七郎', 1000001, '@', '東京都千代田区千代田'],
    ['東京 八郎', 1000001, '#,##0', '東京都千代田区千代田'],
    ['東京 九郎', 1000001, 'General', '東京都千代田区千代田'],
);
for my $r (0 .. $#rows) {
    my ($name, $code, $format, $address) = @{$rows[$r]};
    my $f = $wb->add_format(num_format => $format);
    $ws->write_string($r + 1, 0, $name);
    $ws->write_number($r + 1, 1, $code, $f);
    $ws->write_string($r + 1, 2, $address);
    $ws->write_string($r + 1, 6, '様');
    $ws->write_string($r + 1, 11, $format);
}
$wb->close();
